#pragma once

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Message boxes and the common file and folder dialogs, free of any widget toolkit. All paths
// are Windows paths. The desktop host installs a real implementation; without one, the
// scripted service answers.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons) = 0;
    // Chooses existing files. The filter has the form "Header File (*.h)|*.h;|All Files(*.*)|*.*|"
    // (empty: all files). An empty result means the user cancelled.
    virtual std::vector<std::string> openFiles(const std::string& title, const std::string& filter,
                                               const std::string& startFolder,
                                               bool allowMultiple) = 0;
    // Chooses a file to write; nullopt means the user cancelled.
    virtual std::optional<std::string> saveFile(const std::string& title,
                                                const std::string& initialName,
                                                const std::string& startFolder,
                                                bool overwritePrompt) = 0;
    // Chooses a folder: the folder followed by a backslash, or empty when cancelled.
    virtual std::string browseFolder(const std::string& title, const std::string& startFolder) = 0;

    // The service used from now on; nullptr returns to the scripted default.
    static void install(DialogService* service);
    static DialogService& current();
};

} // namespace avrtazu
