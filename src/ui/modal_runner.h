#pragma once

#include <functional>

class QDialog;

namespace avrtazu {

// Every modal dialog and sheet of the plug-in runs through here, so that a host without a
// user (the command line, a test) can decide what happens instead of blocking in exec().
class ModalRunner {
public:
    // Receives the dialog, shown or not, and returns its result (QDialog::Accepted/Rejected).
    using Hook = std::function<int(QDialog&)>;

    // An empty hook restores the default: the dialog's own exec().
    static void setHook(Hook hook);
    static int exec(QDialog& dialog);

    // Set by a host in which no person answers dialogs (the hook answers them instead): a flow
    // that would show a dialog again only because its answer was not good enough must end
    // rather than ask forever.
    static void setUnattended(bool unattended);
    static bool unattended();
};

} // namespace avrtazu
