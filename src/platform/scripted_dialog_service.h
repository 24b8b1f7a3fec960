#pragma once

#include "platform/dialog_service.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// A dialog service without windows, for tests and the command-line host: it records every
// message box and file dialog, and answers from queues, else with a default.
class ScriptedDialogService : public DialogService {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
    };
    enum class DialogKind { OpenFiles, SaveFile, BrowseFolder };
    struct DialogRequest {
        DialogKind kind = DialogKind::OpenFiles;
        std::string title;
        std::string filter;      // open
        std::string initialName; // save
        std::string startFolder;
        bool allowMultiple = false;   // open
        bool overwritePrompt = false; // save
    };

    MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter,
                                       const std::string& startFolder, bool allowMultiple) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialName,
                                        const std::string& startFolder,
                                        bool overwritePrompt) override;
    std::string browseFolder(const std::string& title, const std::string& startFolder) override;

    // Answers given, in order, to the next message boxes.
    void queueAnswer(MessageAnswer answer);
    // Without a queued answer: accepting gives Ok or Yes, refusing gives Cancel or No (Ok for
    // a box that has only Ok). Accepting is the default.
    void setAcceptByDefault(bool accept);

    // Results of the next file dialogs, in order; without one, each dialog is cancelled.
    void queueOpenFiles(std::vector<std::string> paths);
    void queueSaveFile(std::optional<std::string> path);
    void queueFolder(std::string folder);

    const std::vector<Message>& messages() const { return messages_; }
    const std::vector<DialogRequest>& dialogs() const { return dialogs_; }
    // Forgets what was shown and everything queued; accepting again by default.
    void clear();

private:
    std::vector<Message> messages_;
    std::vector<DialogRequest> dialogs_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::vector<std::string>> openResults_;
    std::deque<std::optional<std::string>> saveResults_;
    std::deque<std::string> folderResults_;
    bool accept_ = true;
};

} // namespace avrtazu
