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
    // A copy runs, so that the hook may set the hook of the next dialog while it answers this one.
    if (const Hook hook = currentHook()) {
        return hook(dialog);
    }
    return dialog.exec();
}

} // namespace avrtazu
