#pragma once

#include "platform/scripted_dialog_service.h"

#include <ostream>

namespace avrtazu {

// Dialogs on the command line, where nobody can answer: every message box is written to the
// message stream and answered with its default; file dialogs take the answers queued for the
// run (export-makefile's OUT) and are cancelled otherwise, which the stream is told too.
class CliDialogService : public ScriptedDialogService {
public:
    explicit CliDialogService(std::ostream& messages) : m_messages(messages) {}

    MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter,
                                       const std::string& startFolder, bool allowMultiple) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialName,
                                        const std::string& startFolder,
                                        bool overwritePrompt) override;
    std::string browseFolder(const std::string& title, const std::string& startFolder) override;

private:
    void tell(const std::string& kind, const std::string& title, const std::string& answer);

    std::ostream& m_messages;
};

} // namespace avrtazu
