#include "platform/file_system.h"

#include "platform/drive_map.h"
#include "platform/file_status_memo.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace avrtazu {

namespace {

// An unmapped drive names no file: ENOENT, as for any missing path.
bool toLinux(const std::string& path, std::string& linuxPath) {
    linuxPath = DriveMap::toLinux(path);
    if (linuxPath.empty()) {
        errno = ENOENT;
        return false;
    }
    return true;
}

bool statPath(const std::string& path, struct stat& info) {
    std::string linuxPath;
    return toLinux(path, linuxPath) && FileStatusMemo::stat(linuxPath, info) == 0;
}

// Closes without letting close() overwrite the errno of an earlier failure.
void closeKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

} // namespace

bool FileSystem::fileExists(const std::string& path) {
    std::string linuxPath;
    if (!toLinux(path, linuxPath)) {
        return false;
    }
    const int type = FileStatusMemo::type(linuxPath);
    return type >= 0 && type != S_IFDIR;
}

bool FileSystem::folderExists(const std::string& path) {
    std::string linuxPath;
    return toLinux(path, linuxPath) && FileStatusMemo::type(linuxPath) == S_IFDIR;
}

bool FileSystem::createFolder(const std::string& path) {
    FileStatusMemo::forget();
    std::string linuxPath;
    if (!toLinux(path, linuxPath)) {
        return false;
    }
    return ::mkdir(linuxPath.c_str(), 0777) == 0;
}

bool FileSystem::createNewFile(const std::string& path) {
    FileStatusMemo::forget();
    std::string linuxPath;
    if (!toLinux(path, linuxPath)) {
        return false;
    }
    const int fd = ::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    return ::close(fd) == 0;
}

bool FileSystem::renameFile(const std::string& from, const std::string& to) {
    FileStatusMemo::forget();
    std::string linuxFrom;
    std::string linuxTo;
    if (!toLinux(from, linuxFrom) || !toLinux(to, linuxTo)) {
        return false;
    }
    if (::renameat2(AT_FDCWD, linuxFrom.c_str(), AT_FDCWD, linuxTo.c_str(), RENAME_NOREPLACE) ==
        0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // The file system cannot refuse to replace by itself; look first.
    struct stat info {};
    if (::lstat(linuxTo.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(linuxFrom.c_str(), linuxTo.c_str()) == 0;
}

bool FileSystem::deleteFile(const std::string& path) {
    FileStatusMemo::forget();
    std::string linuxPath;
    if (!toLinux(path, linuxPath)) {
        return false;
    }
    struct stat info {};
    if (::lstat(linuxPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(linuxPath.c_str()) == 0;
}

std::optional<FileStatus> FileSystem::status(const std::string& path) {
    struct stat info {};
    if (!statPath(path, info)) {
        return std::nullopt;
    }
    return FileStatus{static_cast<std::uint64_t>(info.st_size), info.st_mtime,
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                          info.st_mtim.tv_nsec,
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::time_t> FileSystem::modificationTime(const std::string& path) {
    const auto found = status(path);
    if (!found) {
        return std::nullopt;
    }
    return found->modified;
}

std::optional<std::uint64_t> FileSystem::fileSize(const std::string& path) {
    const auto found = status(path);
    if (!found) {
        return std::nullopt;
    }
    return found->size;
}

bool FileSystem::touch(const std::string& path) {
    FileStatusMemo::forget();
    std::string linuxPath;
    return toLinux(path, linuxPath) && ::utimensat(AT_FDCWD, linuxPath.c_str(), nullptr, 0) == 0;
}

std::optional<std::string> FileSystem::readFile(const std::string& path) {
    std::string linuxPath;
    if (!toLinux(path, linuxPath)) {
        return std::nullopt;
    }
    const int fd = ::open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            content.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            closeKeepingErrno(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return content;
}

std::optional<std::string> FileSystem::readTextFile(const std::string& path) {
    auto content = readFile(path);
    if (!content) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(content->size());
    for (std::size_t i = 0; i < content->size(); ++i) {
        const char c = (*content)[i];
        if (c == '\r' && i + 1 < content->size() && (*content)[i + 1] == '\n') {
            continue;
        }
        text.push_back(c);
    }
    return text;
}

std::string FileSystem::currentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    std::string folder = DriveMap::toWindows(buffer);
    if (folder.empty() || folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

} // namespace avrtazu
