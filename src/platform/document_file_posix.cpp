#include "platform/document_file.h"

#include "platform/file_status_memo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace avrtazu {

namespace {

namespace fs = std::filesystem;

constexpr int kSuffixLength = 8;
constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kTemporaryEnd = ".tmp";

std::string systemText(int code) {
    return std::strerror(code);
}

// The file a write lands in: a symbolic link stays and its target gets the content.
std::string realTarget(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// ".NAME.xxxxxxxx.tmp" beside NAME.
std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + ".";
}

bool isTemporaryOf(std::string_view name, const std::string& prefix) {
    if (name.size() != prefix.size() + kSuffixLength + kTemporaryEnd.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - kTemporaryEnd.size(), kTemporaryEnd.size(), kTemporaryEnd) !=
            0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < prefix.size() + kSuffixLength; ++i) {
        if (std::strchr(kSuffixLetters, name[i]) == nullptr) {
            return false;
        }
    }
    return true;
}

// Temporaries of a write that never finished; only the lock's holder writes, so none is live.
void removeLeftovers(const std::string& target) {
    const fs::path path(target);
    const std::string prefix = temporaryPrefix(path);
    // The names are read as they come: a folder of thousands of sources makes no paths here.
    // Opening the project reads the same folder, so a live status memo reads it for both.
    const fs::path folder = path.parent_path();
    if (folder.empty()) {
        return;
    }
    std::vector<std::string> leftovers;
    const auto note = [&](const std::string& name) {
        if (isTemporaryOf(name, prefix)) {
            leftovers.push_back(name);
        }
    };
    std::error_code failure;
    if (!FileStatusMemo::listNames(fs::absolute(folder, failure).string(), note)) {
        return;
    }
    for (const std::string& name : leftovers) {
        fs::remove(folder / name, failure);
    }
    if (!leftovers.empty()) {
        FileStatusMemo::forget();
    }
}

// A new file beside target that nobody else can have opened: O_EXCL on a random name. The
// process's umask applies as it would to any new file.
int createTemporary(const std::string& target, std::string* tempPath) {
    const fs::path path(target);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(kSuffixLength, 'x');
        for (char& c : suffix) {
            c = kSuffixLetters[random() % (sizeof kSuffixLetters - 1)];
        }
        *tempPath = (path.parent_path() / (temporaryPrefix(path) + suffix + ".tmp")).string();
        const int fd = ::open(tempPath->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool readAll(int fd, std::string* bytes) {
    bytes->clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        bytes->append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// Whether fd still is the file at path: a writer that held the lock may have renamed a new
// file over the one fd has open.
bool stillThere(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

DocumentFile::~DocumentFile() {
    release();
}

void DocumentFile::release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void DocumentFile::adopt(const std::string& linuxPath) {
    release();
    m_path = linuxPath;
}

bool DocumentFile::open(const std::string& linuxPath, std::size_t maxBytes,
                        std::chrono::milliseconds wait, const std::function<void()>& onWait,
                        std::string* bytes, std::string* error) {
    release();
    m_path = linuxPath;
    const auto fail = [&](const std::string& why) {
        release();
        *error = why;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool told = false;
    for (;;) {
        m_fd = ::open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            return fail(systemText(errno));
        }
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            if (stillThere(m_fd, linuxPath)) {
                break;
            }
            release();
            continue;
        }
        if (errno != EWOULDBLOCK) {
            return fail(systemText(errno));
        }
        release();
        if (std::chrono::steady_clock::now() >= deadline) {
            *error = "another avrtazu or avrtazu-studio has it open; nothing was changed, try "
                     "again when that one has finished";
            return false;
        }
        if (!told && onWait) {
            onWait();
        }
        told = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) {
        return fail(systemText(errno));
    }
    if (static_cast<unsigned long long>(status.st_size) > maxBytes) {
        return fail("it holds " + std::to_string(status.st_size) +
                    " bytes, more than a project file may (" + std::to_string(maxBytes) + ")");
    }
    if (!readAll(m_fd, bytes)) {
        return fail(systemText(errno));
    }
    removeLeftovers(realTarget(linuxPath));
    return true;
}

bool DocumentFile::holds(const std::string& bytes) const {
    struct stat status {};
    std::string now;
    return m_fd >= 0 && ::fstat(m_fd, &status) == 0 &&
           static_cast<std::size_t>(status.st_size) == bytes.size() && readAll(m_fd, &now) &&
           now == bytes;
}

bool DocumentFile::replace(const std::string& bytes, std::string* error) {
    const std::string target = realTarget(m_path);
    const auto fail = [&](int code) {
        *error = "cannot save " + m_path + ": " + systemText(code);
        return false;
    };
    std::string tempPath;
    const int fd = createTemporary(target, &tempPath);
    if (fd < 0) {
        return fail(errno);
    }
    struct stat old {};
    // The project keeps its permissions across saves.
    const bool keepMode = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && writeAll(fd, bytes);
    int code = errno;
    if (ok && keepMode && ::fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
        code = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return fail(code);
    }
    // The new file is locked already; the old one's lock can go.
    release();
    m_fd = fd;
    // Make the rename itself durable; a failure here no longer endangers the old content.
    const int folder = ::open(fs::path(target).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace avrtazu
