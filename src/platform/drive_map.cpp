#include "platform/drive_map.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace avrtazu {

namespace {

char driveKey(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

// Folders are kept without a trailing slash, except the root itself.
std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

std::map<char, std::string> defaultDrives() {
    std::map<char, std::string> drives{{'Z', "/"}};
    const char* env = std::getenv("TAZU_DRIVES");
    if (env == nullptr) {
        return drives;
    }
    std::istringstream entries(env);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (entry.size() >= 3 && entry[1] == '=' &&
            std::isalpha(static_cast<unsigned char>(entry[0]))) {
            drives[driveKey(entry[0])] = withoutTrailingSlash(entry.substr(2));
        }
    }
    return drives;
}

std::map<char, std::string>& table() {
    static std::map<char, std::string> drives = defaultDrives();
    return drives;
}

bool hasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

} // namespace

void DriveMap::map(char letter, const std::string& linuxFolder) {
    table()[driveKey(letter)] = withoutTrailingSlash(linuxFolder);
}

void DriveMap::unmap(char letter) {
    table().erase(driveKey(letter));
}

void DriveMap::reset() {
    table() = defaultDrives();
}

std::map<char, std::string> DriveMap::drives() {
    return table();
}

std::string DriveMap::toLinux(const std::string& windowsPath) {
    if (!hasDriveLetter(windowsPath)) {
        std::string path = windowsPath;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    const auto found = table().find(driveKey(windowsPath[0]));
    if (found == table().end()) {
        return {};
    }
    // The path is built in one piece: every file of a project passes here.
    std::size_t restStart = 2;
    while (restStart < windowsPath.size() &&
           (windowsPath[restStart] == '\\' || windowsPath[restStart] == '/')) {
        ++restStart;
    }
    const std::string& folder = found->second;
    const std::size_t restLength = windowsPath.size() - restStart;
    std::string path;
    if (folder == "/") {
        path.reserve(1 + restLength);
        path += '/';
    } else if (restLength == 0) {
        return folder;
    } else {
        path.reserve(folder.size() + 1 + restLength);
        path += folder;
        path += '/';
    }
    const std::size_t restAt = path.size();
    path.append(windowsPath, restStart, std::string::npos);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(restAt), path.end(), '\\', '/');
    return path;
}

std::string DriveMap::toWindows(const std::string& linuxPath) {
    std::string path = linuxPath;
    if (path.empty() || path.front() != '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    char bestLetter = 'Z';
    std::size_t bestLength = 0;
    for (const auto& [letter, folder] : table()) {
        if (folder == "/") {
            continue;
        }
        const bool isPrefix = path.compare(0, folder.size(), folder) == 0 &&
                              (path.size() == folder.size() || path[folder.size()] == '/');
        if (isPrefix && folder.size() > bestLength) {
            bestLetter = letter;
            bestLength = folder.size();
        }
    }
    std::string windowsPath{bestLetter, ':'};
    if (bestLength == path.size()) {
        windowsPath.push_back('\\');
    } else {
        windowsPath.append(path, bestLength);
    }
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    return windowsPath;
}

} // namespace avrtazu
