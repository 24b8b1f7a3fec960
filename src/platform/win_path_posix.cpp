#include "platform/win_path.h"

#include "platform/drive_map.h"
#include "platform/file_status_memo.h"
#include "platform/short_name_alias.h"

#include <filesystem>
#include <system_error>

namespace avrtazu {

namespace {

bool holdsBlank(const std::string& text) {
    return text.find_first_of(" \t") != std::string::npos;
}

} // namespace

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
    return FileStatusMemo::type(linuxPath) >= 0;
}

std::optional<std::string> WinPath::longPathName(const std::string& path) {
    if (!fileExists(path)) {
        return std::nullopt;
    }
    if (isRelative(path)) {
        return path;
    }
    const std::optional<std::string> real = ShortNameAlias::realPath(DriveMap::toLinux(path));
    if (!real) {
        return path;
    }
    std::string longName = DriveMap::toWindows(*real);
    if (path.back() == '\\' && longName.back() != '\\') {
        longName += '\\';
    }
    return longName;
}

std::optional<std::string> WinPath::shortPathName(const std::string& path) {
    if (!fileExists(path)) {
        return std::nullopt;
    }
    if (!holdsBlank(path) || isRelative(path)) {
        return path;
    }
    // A folder is aliased whole; a file keeps its name inside the alias of its folder.
    std::filesystem::path linuxPath =
        std::filesystem::path(DriveMap::toLinux(path)).lexically_normal();
    if (!linuxPath.has_filename()) {
        linuxPath = linuxPath.parent_path();
    }
    std::error_code error;
    const bool isFolder = std::filesystem::is_directory(linuxPath, error);
    const std::string folder = isFolder ? linuxPath.string() : linuxPath.parent_path().string();
    if (!holdsBlank(folder)) {
        return path;
    }
    const std::optional<std::string> alias = ShortNameAlias::aliasOf(folder);
    if (!alias) {
        return path;
    }
    std::string shortName = DriveMap::toWindows(*alias);
    if (!isFolder) {
        shortName += "\\" + linuxPath.filename().string();
    } else if (path.back() == '\\') {
        shortName += '\\';
    }
    return shortName;
}

std::string WinPath::shortPathOrSelf(const std::string& path) {
    return shortPathName(path).value_or(path);
}

} // namespace avrtazu
