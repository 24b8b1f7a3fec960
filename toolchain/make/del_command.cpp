#include "make/del_command.h"

#include "platform/drive_map.h"

#include <filesystem>
#include <fnmatch.h>
#include <system_error>

namespace avrtazu {

namespace {

int deleteMatches(const std::string& pattern) {
    const std::size_t slash = pattern.find_last_of("\\/");
    std::string folder = ".";
    std::string name = pattern;
    if (slash != std::string::npos) {
        folder = DriveMap::toLinux(pattern.substr(0, slash + 1));
        name = pattern.substr(slash + 1);
    } else if (pattern.size() >= 2 && pattern[1] == ':') {
        folder = DriveMap::toLinux(pattern.substr(0, 2));
        name = pattern.substr(2);
    }
    if (folder.empty() || name.empty()) {
        return 0;
    }
    int deleted = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string entryName = entry.path().filename().string();
        std::error_code typeError;
        if (!entry.is_regular_file(typeError) && !entry.is_symlink(typeError)) {
            continue;
        }
        if (::fnmatch(name.c_str(), entryName.c_str(), FNM_CASEFOLD) == 0) {
            std::error_code removeError;
            if (std::filesystem::remove(entry.path(), removeError)) {
                ++deleted;
            }
        }
    }
    return deleted;
}

} // namespace

int DelCommand::run(const std::vector<std::string>& arguments) {
    int deleted = 0;
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument.front() == '/') {
            continue;
        }
        deleted += deleteMatches(argument);
    }
    return deleted;
}

} // namespace avrtazu
