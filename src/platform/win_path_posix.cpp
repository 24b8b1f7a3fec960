#include "platform/win_path.h"

#include "platform/drive_map.h"

#include <filesystem>
#include <system_error>

namespace avrtazu {

bool WinPath::isRelative(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    return !(path[0] == '\\' || (path.size() >= 2 && path[1] == ':'));
}

bool WinPath::fileExists(const std::string& path) {
    const std::string linuxPath = DriveMap::toLinux(path);
    if (linuxPath.empty()) {
        return false;
    }
    std::error_code error;
    return std::filesystem::exists(linuxPath, error);
}

std::optional<std::string> WinPath::longPathName(const std::string& path) {
    if (!fileExists(path)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> WinPath::shortPathName(const std::string& path) {
    return longPathName(path);
}

} // namespace avrtazu
