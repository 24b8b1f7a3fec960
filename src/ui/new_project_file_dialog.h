#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace avrtazu {

class Project;

// "Create new project file": asks for a name and a folder (the project's by default), checks
// the name and creates the file empty, never replacing an existing one.
class CNewProjectFileDialog : public QDialog {
    Q_OBJECT

public:
    explicit CNewProjectFileDialog(const Project& project, QWidget* parent = nullptr);

    // Runs the dialog modally: QDialog::Accepted once the file has been created.
    int DoModal();
    // After OK: the full path of the created file.
    const std::string& newFilePath() const { return m_newFilePath; }
    // The folder the file goes to, always ending with a backslash.
    const std::string& location() const { return m_location; }

private:
    void onBrowse();
    void onOk();
    // Shows the first refusal of the name in the location, or nothing.
    bool refuse(const std::string& name, const std::string& fullPath) const;

    const Project& m_project;
    std::string m_location;
    std::string m_newFilePath;
    QLineEdit* m_fileName;
    QLineEdit* m_locationEdit;
};

} // namespace avrtazu
