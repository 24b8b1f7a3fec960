#include "ui/file_dialogs_support.h"

#include "ui/modal_runner.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <stdexcept>

namespace avrtazu::dialogtest {

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
