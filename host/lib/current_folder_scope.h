#pragma once

#include <filesystem>
#include <string>

namespace avrtazu {

// Makes the project folder the current folder while a project is open, as the IDE does:
// the plug-in looks up relative project file names from there. The folder that was current
// before comes back when the scope ends.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::string& folder);
    ~CurrentFolderScope();
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

    // The folder that was current before, where relative names the user typed belong.
    const std::filesystem::path& previous() const { return m_previous; }

private:
    std::filesystem::path m_previous;
};

} // namespace avrtazu
