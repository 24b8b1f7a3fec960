#pragma once

#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu::dialogtest {

// For one test: a fresh PlugInUtility logging into a recording hub, a ScriptedDialogService as
// the dialog service, and a ModalRunner hook that the test sets with onModal.
class DialogTestScope {
public:
    DialogTestScope();
    ~DialogTestScope();
    DialogTestScope(const DialogTestScope&) = delete;
    DialogTestScope& operator=(const DialogTestScope&) = delete;

    void onModal(std::function<int(QDialog&)> hook);
    // The message box texts shown so far, in order.
    std::vector<std::string> messageTexts() const;
    // Log lines of one level (2 error, 3 debug).
    std::vector<fakes::RecordingHub::LogLine> logLines(long level) const;

    ScriptedDialogService dialogs;
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();

private:
    fakes::HubInstallation m_installation{hub};
};

// A hook that types `text` into the line edit named `editName`, clicks the button named
// `buttonName` (or the dialog box's OK) and gives the dialog's result, rejecting it when the
// click left it open.
std::function<int(QDialog&)> typeAndConfirm(const std::string& text, const char* editName,
                                            const char* buttonName = nullptr);

} // namespace avrtazu::dialogtest
