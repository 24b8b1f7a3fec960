#include "cli/cli_dialog_service.h"

namespace avrtazu {

namespace {

const char* answerText(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return "OK";
    case MessageAnswer::Cancel:
        return "Cancel";
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    }
    return "?";
}

} // namespace

MessageAnswer CliDialogService::messageBox(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons) {
    const MessageAnswer answer = ScriptedDialogService::messageBox(text, caption, icon, buttons);
    m_messages << "message";
    if (!caption.empty()) {
        m_messages << " (" << caption << ")";
    }
    m_messages << ": " << text;
    if (buttons != MessageButtons::Ok) {
        m_messages << " [answered " << answerText(answer) << "]";
    }
    m_messages << '\n';
    m_messages.flush();
    return answer;
}

std::vector<std::string> CliDialogService::openFiles(const std::string& title,
                                                     const std::string& filter,
                                                     const std::string& startFolder,
                                                     bool allowMultiple) {
    std::vector<std::string> chosen =
        ScriptedDialogService::openFiles(title, filter, startFolder, allowMultiple);
    std::string answer;
    for (const std::string& path : chosen) {
        answer += (answer.empty() ? "" : ", ") + path;
    }
    tell("open dialog", title, answer);
    return chosen;
}

std::optional<std::string> CliDialogService::saveFile(const std::string& title,
                                                      const std::string& initialName,
                                                      const std::string& startFolder,
                                                      bool overwritePrompt) {
    std::optional<std::string> chosen =
        ScriptedDialogService::saveFile(title, initialName, startFolder, overwritePrompt);
    tell("save dialog", title, chosen.value_or(std::string()));
    return chosen;
}

std::string CliDialogService::browseFolder(const std::string& title,
                                           const std::string& startFolder) {
    std::string chosen = ScriptedDialogService::browseFolder(title, startFolder);
    tell("folder dialog", title, chosen);
    return chosen;
}

void CliDialogService::tell(const std::string& kind, const std::string& title,
                            const std::string& answer) {
    m_messages << kind;
    if (!title.empty()) {
        m_messages << " \"" << title << "\"";
    }
    m_messages << ": " << (answer.empty() ? std::string("cancelled") : "answered " + answer)
               << '\n';
    m_messages.flush();
}

} // namespace avrtazu
