#pragma once

#include <QDialog>

#include <string>

namespace avrtazu {

class Project;

// "Project properties": the project file, the active configuration and the build output. A
// value that cannot be found is logged and shown as such; the dialog always opens.
class CProjectPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    explicit CProjectPropertiesDialog(const Project& project, QWidget* parent = nullptr);

    int DoModal();

private:
    void fill(const Project& project);
    void setField(const char* objectName, const std::string& text);
};

} // namespace avrtazu
