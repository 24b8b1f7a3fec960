#include "platform/short_name_alias.h"

#include "platform/drive_map.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace avrtazu {

namespace {

// An alias is named by 16 lower-case hexadecimal digits.
constexpr std::size_t kNameLength = 16;

bool holdsBlank(const std::string& text) {
    return text.find_first_of(" \t") != std::string::npos;
}

// Without "." and ".." steps and without a trailing slash, so one folder has one name.
std::string normalFolder(const std::string& path) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

// 64-bit FNV-1a: stable across processes and builds, which std::hash is not.
std::string nameOf(const std::string& folder) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : folder) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    char name[kNameLength + 1];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A folder of this user's that nobody else may write to, made when missing; an alias folder
// that others could change would let them redirect a build.
bool ownFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::optional<std::string> usableRoot() {
    for (const std::string& root : ShortNameAlias::roots()) {
        const std::filesystem::path parent = std::filesystem::path(root).parent_path();
        std::error_code ignored;
        std::filesystem::create_directories(parent.parent_path(), ignored);
        if (ownFolder(parent.string()) && ownFolder(root)) {
            return root;
        }
    }
    return std::nullopt;
}

std::optional<std::string> readLink(const std::string& link) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (error) {
        return std::nullopt;
    }
    return target.string();
}

// Two processes may make the same alias at once; both then find the link they wanted.
bool ensureLink(const std::string& link, const std::string& target) {
    if (::symlink(target.c_str(), link.c_str()) == 0) {
        return true;
    }
    struct stat info {};
    if (errno != EEXIST || ::lstat(link.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return false;
    }
    if (readLink(link) == target) {
        return true;
    }
    // A link left pointing elsewhere is replaced in one step, so no reader sees it missing.
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        link + ".new" + std::to_string(::getpid()) + "." + std::to_string(counter++);
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        return false;
    }
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool isNameDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Replaces prefix + name by the real folder, written by form, wherever a link answers.
template <typename Form>
void expandForm(std::string& text, const std::string& root, const std::string& prefix, Form form) {
    std::size_t at = text.find(prefix);
    while (at != std::string::npos) {
        const std::size_t nameAt = at + prefix.size();
        std::size_t end = nameAt;
        while (end < text.size() && end - nameAt < kNameLength && isNameDigit(text[end])) {
            ++end;
        }
        if (end - nameAt == kNameLength) {
            if (const auto target = readLink(root + "/" + text.substr(nameAt, kNameLength))) {
                const std::string real = form(*target);
                text.replace(at, end - at, real);
                at = text.find(prefix, at + real.size());
                continue;
            }
        }
        at = text.find(prefix, at + 1);
    }
}

} // namespace

std::vector<std::string> ShortNameAlias::roots() {
    std::vector<std::string> candidates;
    std::string cache = environment("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = environment("HOME");
        cache = home.empty() ? "" : home + "/.cache";
    }
    if (!cache.empty()) {
        candidates.push_back(cache + "/avrtazu/short");
    }
    if (const std::string runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty()) {
        candidates.push_back(runtime + "/avrtazu/short");
    }
    candidates.push_back("/tmp/avrtazu-" + std::to_string(::geteuid()) + "/short");

    std::vector<std::string> roots;
    for (const std::string& candidate : candidates) {
        const std::string root = normalFolder(candidate);
        if (root.front() == '/' && !holdsBlank(root)) {
            roots.push_back(root);
        }
    }
    return roots;
}

std::optional<std::string> ShortNameAlias::aliasOf(const std::string& folder) {
    const std::string real = normalFolder(folder);
    if (real.empty() || real.front() != '/') {
        return std::nullopt;
    }
    const std::optional<std::string> root = usableRoot();
    if (!root) {
        return std::nullopt;
    }
    const std::string link = *root + "/" + nameOf(real);
    if (!ensureLink(link, real)) {
        return std::nullopt;
    }
    return link;
}

std::optional<std::string> ShortNameAlias::realPath(const std::string& path) {
    for (const std::string& root : roots()) {
        if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0 ||
            path[root.size()] != '/') {
            continue;
        }
        const std::size_t nameAt = root.size() + 1;
        const std::size_t slash = path.find('/', nameAt);
        const std::string name = path.substr(nameAt, slash - nameAt);
        if (const auto target = readLink(root + "/" + name)) {
            return *target + (slash == std::string::npos ? "" : path.substr(slash));
        }
    }
    return std::nullopt;
}

std::string ShortNameAlias::normalPath(const std::string& path) {
    std::filesystem::path result;
    for (const std::filesystem::path& step : std::filesystem::path(path)) {
        if (step == "..") {
            if (const auto real = realPath(normalFolder(result.string()))) {
                result = *real;
            }
        }
        result /= step;
    }
    return result.lexically_normal().string();
}

std::vector<std::string> ShortNameAlias::aliasPrefixes() {
    std::vector<std::string> prefixes;
    for (const std::string& root : roots()) {
        prefixes.push_back(root + "/");
        prefixes.push_back(DriveMap::toWindows(root) + "\\");
    }
    return prefixes;
}

std::string ShortNameAlias::expandAliases(const std::string& text) {
    std::string result = text;
    for (const std::string& root : roots()) {
        expandForm(result, root, root + "/", [](const std::string& real) { return real; });
        expandForm(result, root, DriveMap::toWindows(root) + "\\",
                   [](const std::string& real) { return DriveMap::toWindows(real); });
    }
    return result;
}

} // namespace avrtazu
