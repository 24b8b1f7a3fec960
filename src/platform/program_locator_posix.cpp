#include "platform/program_locator.h"

#include "platform/drive_map.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace avrtazu {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isUsable(const std::string& path) {
    if (!isRegularFile(path)) {
        return false;
    }
    return ProgramLocator::isBatchFile(path) || ::access(path.c_str(), X_OK) == 0;
}

bool hasExtension(const std::string& name) {
    const auto slash = name.find_last_of("/\\");
    const auto dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// A name without an extension is tried with ".exe" first, then as it is.
std::string firstUsable(const std::string& path) {
    if (!hasExtension(path) && isUsable(path + ".exe")) {
        return path + ".exe";
    }
    return isUsable(path) ? path : std::string();
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string currentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

} // namespace

std::vector<std::string> ProgramLocator::searchFolders() {
    const char* path = std::getenv("PATH");
    return splitSearchPath(path != nullptr ? path : "");
}

std::vector<std::string> ProgramLocator::splitSearchPath(const std::string& pathText) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= pathText.size()) {
        const auto end = std::min(pathText.find(':', start), pathText.size());
        if (end > start) {
            folders.push_back(pathText.substr(start, end - start));
        }
        start = end + 1;
    }
    return folders;
}

std::string ProgramLocator::find(const std::string& word, const std::vector<std::string>& folders,
                                 const std::string& baseFolder) {
    std::string found;
    if (word.empty()) {
        // Nothing to look for.
    } else if (word.find_first_of("/\\:") != std::string::npos) {
        std::string path = DriveMap::toLinux(word);
        if (!path.empty() && path.front() != '/') {
            path = joinPath(baseFolder.empty() ? currentFolder() : baseFolder, path);
        }
        if (!path.empty()) {
            found = firstUsable(path);
        }
    } else {
        for (const auto& folder : folders) {
            const std::string folderPath =
                folder.front() == '/'
                    ? folder
                    : joinPath(baseFolder.empty() ? currentFolder() : baseFolder, folder);
            found = firstUsable(joinPath(folderPath, word));
            if (!found.empty()) {
                break;
            }
        }
    }
    if (found.empty()) {
        errno = ENOENT;
    }
    return found;
}

bool ProgramLocator::isBatchFile(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    const std::string extension = TextCase::lower(path.substr(path.size() - 4));
    return extension == ".bat" || extension == ".cmd";
}

std::string ProgramLocator::batchRunner() {
    const char* configured = std::getenv("TAZU_BATCH_RUNNER");
    if (configured != nullptr && *configured != '\0') {
        return configured;
    }
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) {
        std::string self(buffer, static_cast<std::size_t>(length));
        const std::string beside = self.substr(0, self.find_last_of('/') + 1) + "tazubat";
        if (::access(beside.c_str(), X_OK) == 0) {
            return beside;
        }
    }
#ifdef AVRTAZU_BATCH_RUNNER_PATH
    if (::access(AVRTAZU_BATCH_RUNNER_PATH, X_OK) == 0) {
        return AVRTAZU_BATCH_RUNNER_PATH;
    }
#endif
    errno = ENOENT;
    return {};
}

std::string ProgramLocator::drivesVariable() {
    std::string text;
    for (const auto& [letter, folder] : DriveMap::drives()) {
        if (letter == 'Z' && folder == "/") {
            continue;
        }
        if (!text.empty()) {
            text += ';';
        }
        text += std::string(1, letter) + "=" + folder;
    }
    return text;
}

std::vector<std::string> ProgramLocator::childEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("TAZU_DRIVES=", 0) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back("TAZU_DRIVES=" + drivesVariable());
    return environment;
}

} // namespace avrtazu
