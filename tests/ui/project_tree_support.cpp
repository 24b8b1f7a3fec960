#include "ui/project_tree_support.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "ui/modal_runner.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <stdexcept>
#include <stdlib.h>

namespace avrtazu::treetest {

HRESULT RecordingCommands::ExecuteCommand(long command) {
    commands.push_back(command);
    return S_OK;
}

void RecordingCommands::makeTarget(const std::string& target) {
    targets.push_back(target);
}

void RecordingCommands::saveProject() {
    ++saves;
}

TreeFixture::TreeFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tazu-tree-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = pattern;
    std::filesystem::create_directories(m_root / "demo");
    DriveMap::map('C', m_root.string());
    // Files stored relative to the project are looked for in the current folder.
    m_previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(m_root / "demo");

    m_installation = std::make_unique<fakes::HubInstallation>(hub);
    PlugInUtility::instance().setHost(&works);
    DialogService::install(&dialogs);
    project.addConfig(Configuration("default"));
}

TreeFixture::~TreeFixture() {
    m_tree.reset();
    ModalRunner::setHook({});
    DialogService::install(nullptr);
    m_installation.reset();
    std::filesystem::current_path(m_previousFolder);
    DriveMap::reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

CProjectTree& TreeFixture::makeTree() {
    m_tree = std::make_unique<CProjectTree>(project, commands);
    m_tree->initialize();
    return *m_tree;
}

std::string TreeFixture::windows(const std::string& relative) {
    return "C:\\demo\\" + relative;
}

std::string TreeFixture::linux(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return (m_root / path).string();
}

void TreeFixture::writeFile(const std::string& relativeToDrive, const std::string& content) const {
    const std::filesystem::path path = linux(relativeToDrive);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

bool TreeFixture::onDisk(const std::string& relativeToDrive) const {
    return std::filesystem::exists(linux(relativeToDrive));
}

std::vector<std::string> TreeFixture::texts(const QTreeWidgetItem* parent) {
    std::vector<std::string> result;
    for (int index = 0; index < parent->childCount(); ++index) {
        result.push_back(parent->child(index)->text(0).toStdString());
    }
    return result;
}

std::vector<std::string> TreeFixture::logs(long level) const {
    std::vector<std::string> result;
    for (const auto& line : hub->logs) {
        if (line.level == level) {
            result.push_back(level == 3 ? line.context + "|" + line.message : line.message);
        }
    }
    return result;
}

QTreeWidgetItem* TreeFixture::select(QTreeWidgetItem* group, const std::string& text) {
    for (int index = 0; index < group->childCount(); ++index) {
        if (group->child(index)->text(0).toStdString() == text) {
            m_tree->setCurrentItem(group->child(index));
            return group->child(index);
        }
    }
    ADD_FAILURE() << "no item " << text;
    return nullptr;
}

void TreeFixture::answerDialogs(const std::string& text, const char* editName,
                                const char* buttonName) {
    const std::string edit = editName;
    const std::string button = buttonName == nullptr ? std::string() : buttonName;
    ModalRunner::setHook([this, text, edit, button](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        if (auto* line = dialog.findChild<QLineEdit*>(QString::fromStdString(edit))) {
            line->setText(QString::fromStdString(text));
        }
        QAbstractButton* press = nullptr;
        if (!button.empty()) {
            press = dialog.findChild<QPushButton*>(QString::fromStdString(button));
        } else if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
            press = box->button(QDialogButtonBox::Ok);
        }
        if (press != nullptr) {
            press->click();
        }
        return dialog.result();
    });
}

void TreeFixture::cancelDialogs() {
    ModalRunner::setHook([this](QDialog& dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        return static_cast<int>(QDialog::Rejected);
    });
}

} // namespace avrtazu::treetest
