#include "ui/file_dialogs_support.h"

#include "platform/drive_map.h"
#include "ui/modal_runner.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <stdlib.h>

namespace avrtazu::dialogtest {

MappedDrive::MappedDrive() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tazu-dlg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = pattern;
    DriveMap::map('C', m_root);
}

MappedDrive::~MappedDrive() {
    DriveMap::reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

std::string MappedDrive::windows(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "C:\\" + path;
}

std::string MappedDrive::linux(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return m_root + "/" + path;
}

void MappedDrive::write(const std::string& relative, std::size_t size) const {
    const std::filesystem::path path = linux(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

void MappedDrive::makeFolder(const std::string& relative) const {
    std::filesystem::create_directories(linux(relative));
}

void MappedDrive::remove(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::remove(linux(relative), ignored);
}

bool MappedDrive::exists(const std::string& relative) const {
    return std::filesystem::exists(linux(relative));
}

std::size_t MappedDrive::sizeOf(const std::string& relative) const {
    return static_cast<std::size_t>(std::filesystem::file_size(linux(relative)));
}

DialogTestScope::DialogTestScope() {
    DialogService::install(&dialogs);
}

DialogTestScope::~DialogTestScope() {
    ModalRunner::setHook(nullptr);
    DialogService::install(nullptr);
}

void DialogTestScope::onModal(std::function<int(QDialog&)> hook) {
    ModalRunner::setHook(std::move(hook));
}

std::vector<std::string> DialogTestScope::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : dialogs.messages()) {
        texts.push_back(message.text);
    }
    return texts;
}

std::vector<fakes::RecordingHub::LogLine> DialogTestScope::logLines(long level) const {
    std::vector<fakes::RecordingHub::LogLine> found;
    std::copy_if(hub->logs.begin(), hub->logs.end(), std::back_inserter(found),
                 [level](const fakes::RecordingHub::LogLine& line) { return line.level == level; });
    return found;
}

std::function<int(QDialog&)> typeAndConfirm(const std::string& text, const char* editName,
                                            const char* buttonName) {
    return [text, editName, buttonName](QDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(editName));
        if (edit == nullptr) {
            throw std::logic_error(std::string("no edit box ") + editName);
        }
        edit->setText(QString::fromLocal8Bit(text));
        QAbstractButton* button = nullptr;
        if (buttonName != nullptr) {
            button = dialog.findChild<QAbstractButton*>(QLatin1String(buttonName));
        } else if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
            button = box->button(QDialogButtonBox::Ok);
        }
        if (button == nullptr) {
            throw std::logic_error("no button to confirm with");
        }
        button->click();
        if (dialog.result() != QDialog::Accepted) {
            dialog.reject();
        }
        return dialog.result();
    };
}

} // namespace avrtazu::dialogtest
