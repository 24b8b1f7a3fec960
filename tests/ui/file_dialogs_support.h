#pragma once

#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu::dialogtest {

// A temporary folder mapped as drive C: for one test; removed, and the drive map reset, after.
class MappedDrive {
public:
    MappedDrive();
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    // "C:\" followed by the relative path (either slash).
    std::string windows(const std::string& relative) const;
    std::string linux(const std::string& relative) const;
    // Writes a file of `size` bytes (folders made as needed).
    void write(const std::string& relative, std::size_t size = 0) const;
    void makeFolder(const std::string& relative) const;
    void remove(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    std::size_t sizeOf(const std::string& relative) const;

private:
    std::string m_root;
};

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
