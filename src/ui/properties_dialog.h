#pragma once

#include <QDialog>

#include <string>

class QFormLayout;

namespace avrtazu {

class Project;

// "File properties": a project file's name, folder, size and time, and those of the object
// file the build makes of it. Construction reads both files and throws std::runtime_error
// when the file cannot be read, so the caller can report it and show nothing.
class CPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    CPropertiesDialog(const Project& project, const std::string& filePath,
                      QWidget* parent = nullptr);

    int DoModal();

    // Where the build puts the object file of a source file: the output folder, the file's
    // name up to its last "." (the whole name when it has none) and ".o".
    static std::string objectFilePath(const Project& project, const std::string& filePath);
    // The folder part of a path, up to and including its last backslash.
    static std::string folderOf(const std::string& path);

private:
    void addField(QFormLayout* form, const char* label, const char* objectName,
                  const std::string& text);
};

} // namespace avrtazu
