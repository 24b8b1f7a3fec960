#include "platform/scripted_dialog_service.h"

#include <utility>

namespace avrtazu {

namespace {

MessageAnswer defaultAnswer(MessageButtons buttons, bool accept) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return accept ? MessageAnswer::Ok : MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return accept ? MessageAnswer::Yes : MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return accept ? MessageAnswer::Yes : MessageAnswer::Cancel;
    }
    return MessageAnswer::Ok;
}

template <typename T> std::optional<T> takeFront(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

} // namespace

MessageAnswer ScriptedDialogService::messageBox(const std::string& text, const std::string& caption,
                                                MessageIcon icon, MessageButtons buttons) {
    messages_.push_back(Message{text, caption, icon, buttons});
    if (auto queued = takeFront(answers_)) {
        return *queued;
    }
    return defaultAnswer(buttons, accept_);
}

std::vector<std::string> ScriptedDialogService::openFiles(const std::string& title,
                                                          const std::string& filter,
                                                          const std::string& startFolder,
                                                          bool allowMultiple) {
    DialogRequest request;
    request.kind = DialogKind::OpenFiles;
    request.title = title;
    request.filter = filter;
    request.startFolder = startFolder;
    request.allowMultiple = allowMultiple;
    dialogs_.push_back(request);
    auto queued = takeFront(openResults_);
    if (!queued) {
        return {};
    }
    // A single-choice dialog cannot return more than one file.
    if (!allowMultiple && queued->size() > 1) {
        queued->resize(1);
    }
    return *queued;
}

std::optional<std::string> ScriptedDialogService::saveFile(const std::string& title,
                                                           const std::string& initialName,
                                                           const std::string& startFolder,
                                                           bool overwritePrompt) {
    DialogRequest request;
    request.kind = DialogKind::SaveFile;
    request.title = title;
    request.initialName = initialName;
    request.startFolder = startFolder;
    request.overwritePrompt = overwritePrompt;
    dialogs_.push_back(request);
    auto queued = takeFront(saveResults_);
    return queued ? *queued : std::nullopt;
}

std::string ScriptedDialogService::browseFolder(const std::string& title,
                                                const std::string& startFolder) {
    DialogRequest request;
    request.kind = DialogKind::BrowseFolder;
    request.title = title;
    request.startFolder = startFolder;
    dialogs_.push_back(request);
    auto folder = takeFront(folderResults_).value_or(std::string());
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

void ScriptedDialogService::queueAnswer(MessageAnswer answer) {
    answers_.push_back(answer);
}

void ScriptedDialogService::setAcceptByDefault(bool accept) {
    accept_ = accept;
}

void ScriptedDialogService::queueOpenFiles(std::vector<std::string> paths) {
    openResults_.push_back(std::move(paths));
}

void ScriptedDialogService::queueSaveFile(std::optional<std::string> path) {
    saveResults_.push_back(std::move(path));
}

void ScriptedDialogService::queueFolder(std::string folder) {
    folderResults_.push_back(std::move(folder));
}

void ScriptedDialogService::clear() {
    messages_.clear();
    dialogs_.clear();
    answers_.clear();
    openResults_.clear();
    saveResults_.clear();
    folderResults_.clear();
    accept_ = true;
}

} // namespace avrtazu
