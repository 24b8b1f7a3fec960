#include "ui/modal_runner.h"

#include <QDialog>

#include <utility>

namespace avrtazu {

namespace {
ModalRunner::Hook& currentHook() {
    static ModalRunner::Hook hook;
    return hook;
}
} // namespace

void ModalRunner::setHook(Hook hook) {
    currentHook() = std::move(hook);
}

int ModalRunner::exec(QDialog& dialog) {
    if (currentHook()) {
        return currentHook()(dialog);
    }
    return dialog.exec();
}

} // namespace avrtazu
