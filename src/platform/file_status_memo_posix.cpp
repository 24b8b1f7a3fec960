#include "platform/file_status_memo.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <unordered_map>

namespace avrtazu {

struct FileStatusMemo::Answers {
    struct Answer {
        int error = 0;
        mode_t mode = 0;
        off_t size = 0;
        std::time_t modified = 0;
    };
    // A relative path is remembered under the folder that was current when the memo began, so
    // that the same file named both ways is looked at once.
    std::string folder;
    std::unordered_map<std::string, Answer> seen;
};

FileStatusMemo::Answers* FileStatusMemo::s_live = nullptr;

FileStatusMemo::FileStatusMemo() {
    if (s_live != nullptr) {
        return;
    }
    m_answers = std::make_unique<Answers>();
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) != nullptr) {
        m_answers->folder = folder;
        if (m_answers->folder.back() != '/') {
            m_answers->folder += '/';
        }
    }
    s_live = m_answers.get();
}

FileStatusMemo::~FileStatusMemo() {
    if (m_answers && s_live == m_answers.get()) {
        s_live = nullptr;
    }
}

int FileStatusMemo::stat(const std::string& linuxPath, struct stat& info) {
    if (s_live == nullptr || linuxPath.empty() ||
        (linuxPath.front() != '/' && s_live->folder.empty())) {
        return ::stat(linuxPath.c_str(), &info);
    }
    auto [place, added] =
        s_live->seen.try_emplace(linuxPath.front() == '/' ? linuxPath : s_live->folder + linuxPath);
    Answers::Answer& answer = place->second;
    if (added) {
        if (::stat(linuxPath.c_str(), &info) != 0) {
            answer.error = errno;
            return -1;
        }
        answer.mode = info.st_mode;
        answer.size = info.st_size;
        answer.modified = info.st_mtime;
        return 0;
    }
    if (answer.error != 0) {
        errno = answer.error;
        return -1;
    }
    info.st_mode = answer.mode;
    info.st_size = answer.size;
    info.st_mtime = answer.modified;
    return 0;
}

void FileStatusMemo::forget() {
    if (s_live != nullptr) {
        s_live->seen.clear();
    }
}

} // namespace avrtazu
