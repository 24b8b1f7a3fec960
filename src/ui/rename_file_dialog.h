#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace avrtazu {

class SourceFile;

// "Rename project file": asks for a new name of a project file and checks it; the caller
// renames the file on disk and in the project.
class CRenameFileDialog : public QDialog {
    Q_OBJECT

public:
    // A file stored relative to the project is looked for below projectDirectory when that is
    // given, so that an existing file there is never overwritten.
    explicit CRenameFileDialog(const SourceFile& file, QWidget* parent = nullptr,
                               const std::string& projectDirectory = std::string());

    // Runs the dialog modally: QDialog::Accepted once a new name has passed the checks.
    int DoModal();
    // After OK: the new name, without a directory.
    const std::string& newName() const { return m_newName; }

private:
    void onRename();
    // The text of the first check the name fails, or nothing.
    bool refuse(const std::string& name) const;

    const SourceFile& m_file;
    std::string m_projectDirectory;
    std::string m_newName;
    QLineEdit* m_nameEdit;
};

} // namespace avrtazu
