#include "ui/new_project_file_dialog.h"

#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "platform/win_path.h"
#include "services/plug_in_utility.h"
#include "ui/file_name_rule.h"
#include "ui/folder_browser.h"
#include "ui/modal_runner.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace avrtazu {

namespace {

void showRefusal(const std::string& text, const std::string& caption) {
    DialogService::current().messageBox(text, caption, MessageIcon::Warning, MessageButtons::Ok);
}

} // namespace

CNewProjectFileDialog::CNewProjectFileDialog(const Project& project, QWidget* parent)
    : QDialog(parent), m_project(project), m_location(project.homePath()),
      m_fileName(new QLineEdit(this)), m_locationEdit(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Create new project file"));
    m_fileName->setObjectName(QStringLiteral("fileName"));
    m_locationEdit->setObjectName(QStringLiteral("location"));
    // Only "Browse..." changes the folder, so that it always names a real folder.
    m_locationEdit->setEnabled(false);
    m_locationEdit->setText(QString::fromLocal8Bit(m_location));

    auto* fileNameLabel = new QLabel(QStringLiteral("File Name:"), this);
    fileNameLabel->setBuddy(m_fileName);
    auto* locationLabel = new QLabel(QStringLiteral("Location:"), this);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* grid = new QGridLayout;
    grid->addWidget(fileNameLabel, 0, 0);
    grid->addWidget(m_fileName, 0, 1, 1, 2);
    grid->addWidget(locationLabel, 1, 0);
    grid->addWidget(m_locationEdit, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->setColumnMinimumWidth(1, 280);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, [this] { onBrowse(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { onOk(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_fileName->setFocus();
}

int CNewProjectFileDialog::DoModal() {
    return ModalRunner::exec(*this);
}

void CNewProjectFileDialog::onBrowse() {
    const std::string folder = FolderBrowser(this).browse(m_project.homePath());
    if (!folder.empty()) {
        m_location = folder;
        m_locationEdit->setText(QString::fromLocal8Bit(m_location));
    }
}

bool CNewProjectFileDialog::refuse(const std::string& name, const std::string& fullPath) const {
    if (name.empty()) {
        showRefusal(FileNameRule::emptyNameText(), "Empty filename");
        return true;
    }
    if (name.find_first_of("\\/") != std::string::npos) {
        showRefusal("Use the \"Location \" edit control to specify the new file's path", "");
        return true;
    }
    if (WinPath::fileExists(fullPath)) {
        showRefusal(FileNameRule::alreadyExistsText(fullPath), "File already exists");
        return true;
    }
    if (name.size() > FileNameRule::kMaxLength) {
        showRefusal(FileNameRule::tooLongText(), "Filename too long");
        return true;
    }
    if (const auto forbidden = FileNameRule::firstForbiddenCharacter(name)) {
        showRefusal(FileNameRule::forbiddenCharacterText(*forbidden), "");
        return true;
    }
    return false;
}

void CNewProjectFileDialog::onOk() {
    const std::string name = m_fileName->text().toLocal8Bit().toStdString();
    const std::string fullPath = m_location + name;
    if (refuse(name, fullPath)) {
        return;
    }
    // The tree goes on with the path either way; a failure is only worth a line in the log.
    if (!FileSystem::createNewFile(fullPath)) {
        PlugInUtility::instance().logDebug("CNewProjectFileDialog::OnOK()",
                                           "Could not create " + fullPath + ": " +
                                               SystemError::lastErrorMessage());
    }
    m_newFilePath = fullPath;
    accept();
}

} // namespace avrtazu
