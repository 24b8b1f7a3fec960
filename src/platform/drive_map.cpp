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
    std::string path = windowsPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!hasDriveLetter(path)) {
        return path;
    }
    const auto found = table().find(driveKey(path[0]));
    if (found == table().end()) {
        return {};
    }
    std::string rest = path.substr(2);
    while (!rest.empty() && rest.front() == '/') {
        rest.erase(0, 1);
    }
    const std::string& folder = found->second;
    if (folder == "/") {
        return "/" + rest;
    }
    return rest.empty() ? folder : folder + "/" + rest;
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
