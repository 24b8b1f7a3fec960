#include "ui/rename_file_dialog.h"

#include "model/source_file.h"
#include "platform/dialog_service.h"
#include "platform/win_path.h"
#include "ui/file_name_rule.h"
#include "ui/modal_runner.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace avrtazu {

CRenameFileDialog::CRenameFileDialog(const SourceFile& file, QWidget* parent,
                                     const std::string& projectDirectory)
    : QDialog(parent), m_file(file), m_projectDirectory(projectDirectory),
      m_nameEdit(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Rename project file"));
    m_nameEdit->setObjectName(QStringLiteral("newName"));
    m_nameEdit->setText(QString::fromLocal8Bit(m_file.name()));
    m_nameEdit->selectAll();
    m_nameEdit->setMinimumWidth(280);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* rename =
        buttons->addButton(QStringLiteral("Rename"), QDialogButtonBox::AcceptRole);
    rename->setObjectName(QStringLiteral("rename"));
    rename->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* label = new QLabel(
        QStringLiteral("&New name of ") + m_nameEdit->text() + QStringLiteral(":"), this);
    label->setBuddy(m_nameEdit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_nameEdit);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { onRename(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CRenameFileDialog::DoModal() {
    return ModalRunner::exec(*this);
}

bool CRenameFileDialog::refuse(const std::string& name) const {
    const auto show = [](const std::string& text) {
        DialogService::current().messageBox(text, std::string(), MessageIcon::Warning,
                                            MessageButtons::Ok);
        return true;
    };
    if (name.empty()) {
        return show(FileNameRule::emptyNameText());
    }
    // The refusal names the file as the record does, relative or not.
    const std::string target = m_file.path() + name;
    std::string location = target;
    if (WinPath::isRelative(target) && !m_projectDirectory.empty()) {
        location = m_projectDirectory + target;
    }
    if (WinPath::fileExists(location)) {
        return show(FileNameRule::alreadyExistsText(target));
    }
    if (const auto refusal = FileNameRule::refusal(name)) {
        return show(*refusal);
    }
    if (SourceFile::extension(name) != m_file.extension()) {
        return show("The new name must have the same extension as the old.\n");
    }
    return false;
}

void CRenameFileDialog::onRename() {
    const std::string name = m_nameEdit->text().toLocal8Bit().toStdString();
    if (refuse(name)) {
        return;
    }
    m_newName = name;
    accept();
}

} // namespace avrtazu
