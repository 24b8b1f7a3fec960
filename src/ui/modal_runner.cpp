#include "ui/modal_runner.h"

#include <QDialog>

#include <utility>

namespace avrtazu {

namespace {
ModalRunner::Hook& currentHook() {
    static ModalRunner::Hook hook;
    return hook;
}

bool& unattendedFlag() {
    static bool unattended = false;
    return unattended;
}
} // namespace

void ModalRunner::setHook(Hook hook) {
    currentHook() = std::move(hook);
}

void ModalRunner::setUnattended(bool unattended) {
    unattendedFlag() = unattended;
}

bool ModalRunner::unattended() {
    return unattendedFlag();
}

int ModalRunner::exec(QDialog& dialog) {
    if (currentHook()) {
        return currentHook()(dialog);
    }
    return dialog.exec();
}

} // namespace avrtazu
