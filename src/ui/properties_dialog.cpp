#include "ui/properties_dialog.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "services/output_directory.h"
#include "ui/file_info_text.h"
#include "ui/modal_runner.h"
#include "ui/read_only_look.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cerrno>
#include <optional>
#include <stdexcept>

namespace avrtazu {

namespace {

// A file error reaches the user through a log line of limited width.
constexpr std::size_t kFileErrorLength = 150;

FileStatus readStatus(const std::string& path) {
    const std::optional<FileStatus> status = FileSystem::status(path);
    if (!status) {
        throw std::runtime_error("Failed to get file status");
    }
    return *status;
}

// The file must open for reading, as a plain file; the reason it does not is the system's.
FileStatus openAndReadStatus(const std::string& path) {
    if (!FileSystem::fileExists(path)) {
        const int code = FileSystem::folderExists(path) ? EISDIR : SystemError::code();
        const std::string description = path + ": " + SystemError::text(code);
        throw std::runtime_error(description.substr(0, kFileErrorLength));
    }
    return readStatus(path);
}

} // namespace

CPropertiesDialog::CPropertiesDialog(const Project& project, const std::string& filePath,
                                     QWidget* parent)
    : QDialog(parent) {
    const FileStatus fileStatus = openAndReadStatus(filePath);
    const std::string objectPath = objectFilePath(project, filePath);
    std::optional<FileStatus> objectStatus;
    if (FileSystem::fileExists(objectPath)) {
        objectStatus = readStatus(objectPath);
    }

    setWindowTitle(QStringLiteral("File properties"));
    auto* fileForm = new QFormLayout;
    addField(fileForm, "File name:", "fileName", SourceFile(filePath).name());
    addField(fileForm, "File location:", "fileLocation", folderOf(filePath));
    addField(fileForm, "File Size:", "fileSize", FileInfoText::sizeText(fileStatus.size));
    addField(fileForm, "Last modified:", "lastModified",
             FileInfoText::dateText(fileStatus.modified));

    auto* objectGroup = new QGroupBox(QStringLiteral("Object file"), this);
    auto* objectForm = new QFormLayout(objectGroup);
    if (objectStatus) {
        addField(objectForm, "File Name:", "objectFileName", SourceFile(objectPath).name());
        addField(objectForm, "File Location:", "objectFileLocation", folderOf(objectPath));
        addField(objectForm, "Object size:", "objectSize",
                 FileInfoText::sizeText(objectStatus->size));
        addField(objectForm, "Last compiled:", "lastCompiled",
                 FileInfoText::dateText(objectStatus->modified));
    } else {
        addField(objectForm, "File Name:", "objectFileName", "Object file does not exist");
        addField(objectForm, "File Location:", "objectFileLocation", "");
        addField(objectForm, "Object size:", "objectSize", "");
        addField(objectForm, "Last compiled:", "lastCompiled", "");
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileForm);
    layout->addWidget(objectGroup);
    layout->addWidget(buttons);
}

int CPropertiesDialog::DoModal() {
    return ModalRunner::exec(*this);
}

void CPropertiesDialog::addField(QFormLayout* form, const char* label, const char* objectName,
                                 const std::string& text) {
    addReadOnlyField(*this, *form, label, objectName, QString::fromLocal8Bit(text));
}

std::string CPropertiesDialog::objectFilePath(const Project& project, const std::string& filePath) {
    const SourceFile file(filePath);
    const std::string base = file.name().find('.') == std::string::npos ? file.name() : file.stem();
    return outputDirectory(project) + base + ".o";
}

std::string CPropertiesDialog::folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace avrtazu
