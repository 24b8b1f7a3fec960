#include "platform/file_status_memo.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace avrtazu {

namespace {

// A folder is listed once this many of its files were asked about one by one.
constexpr int kListAfter = 16;

// The st_mode type of a listed entry; 0 where only stat() can tell (a link, an unknown type).
mode_t listedType(unsigned char entryType) {
    switch (entryType) {
    case DT_REG:
        return S_IFREG;
    case DT_DIR:
        return S_IFDIR;
    case DT_FIFO:
        return S_IFIFO;
    case DT_SOCK:
        return S_IFSOCK;
    case DT_CHR:
        return S_IFCHR;
    case DT_BLK:
        return S_IFBLK;
    default:
        return 0;
    }
}

// Names are looked up as views of the path asked about, without copies.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
        return std::hash<std::string_view>()(name);
    }
};

// A folder's names in one block, indexed by views into it: a folder of ten thousand sources is
// looked up twenty thousand times while a project opens, without a string made per name.
class FolderNames {
public:
    FolderNames() = default;
    // The index points into the block: a copy would point into the original's.
    FolderNames(const FolderNames&) = delete;
    FolderNames& operator=(const FolderNames&) = delete;

    void add(std::string_view name, mode_t type) {
        m_entries.push_back({m_text.size(), name.size(), type});
        m_text.append(name);
    }

    // Builds the index once every name is in and the block no longer moves.
    void index() {
        m_index.reserve(m_entries.size());
        for (const Entry& entry : m_entries) {
            m_index.emplace(std::string_view(m_text).substr(entry.offset, entry.length),
                            entry.type);
        }
    }

    // The type of a listed name (0 where only stat() can tell), or 0 for a name not listed.
    mode_t type(std::string_view name) const {
        const auto found = m_index.find(name);
        return found == m_index.end() ? 0 : found->second;
    }

    void visit(const std::function<void(const std::string&)>& visitor) const {
        for (const Entry& entry : m_entries) {
            visitor(m_text.substr(entry.offset, entry.length));
        }
    }

private:
    struct Entry {
        std::size_t offset;
        std::size_t length;
        mode_t type;
    };
    std::vector<Entry> m_entries;
    std::string m_text;
    std::unordered_map<std::string_view, mode_t> m_index;
};

} // namespace

struct FileStatusMemo::Answers {
    struct Answer {
        int error = 0;
        mode_t mode = 0;
        off_t size = 0;
        timespec modified{};
        ino_t identity = 0;
    };
    struct Folder {
        int asked = 0;
        bool listed = false;
        // Names and their types; only valid when listed.
        FolderNames entries;
    };
    // A relative path is remembered under the folder that was current when the memo began, so
    // that the same file named both ways is looked at once.
    std::string current;
    std::unordered_map<std::string, Answer> seen;
    std::unordered_map<std::string, Folder, NameHash, std::equal_to<>> folders;
    // The folder asked about last: a project's files mostly share one.
    std::string lastFolderPath;
    Folder* lastFolder = nullptr;

    Folder& folderOf(std::string_view path) {
        if (lastFolder == nullptr || path != lastFolderPath) {
            auto found = folders.find(path);
            if (found == folders.end()) {
                found = folders.try_emplace(std::string(path)).first;
            }
            lastFolderPath = path;
            lastFolder = &found->second;
        }
        return *lastFolder;
    }

    // The type from the folder's listing, made when the folder has been asked about often
    // enough; nothing when only stat() can tell.
    std::optional<int> listed(std::string_view folderPath, std::string_view name) {
        if (name.empty() || name == "." || name == "..") {
            return std::nullopt;
        }
        Folder& folder = folderOf(folderPath);
        if (!folder.listed) {
            if (++folder.asked < kListAfter || !list(std::string(folderPath), folder)) {
                return std::nullopt;
            }
        }
        // A name the listing lacks may still be found by stat() on a folder that ignores case.
        const mode_t type = folder.entries.type(name);
        if (type == 0) {
            return std::nullopt;
        }
        return static_cast<int>(type);
    }

    // A folder whose entries cannot be looked at (no search right) is never listed: stat() of
    // them would fail where the listing shows them.
    static bool list(const std::string& path, Folder& folder) {
        if (::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) != 0) {
            folder.asked = INT_MIN;
            return false;
        }
        DIR* listing = ::opendir(path.c_str());
        if (listing == nullptr) {
            folder.asked = INT_MIN;
            return false;
        }
        while (const dirent* entry = ::readdir(listing)) {
            folder.entries.add(entry->d_name, listedType(entry->d_type));
        }
        ::closedir(listing);
        folder.entries.index();
        folder.listed = true;
        return true;
    }
};

FileStatusMemo::Answers* FileStatusMemo::s_live = nullptr;

FileStatusMemo::FileStatusMemo() {
    if (s_live != nullptr) {
        return;
    }
    m_answers = std::make_unique<Answers>();
    s_live = m_answers.get();
    folderChanged();
}

void FileStatusMemo::folderChanged() {
    if (s_live == nullptr) {
        return;
    }
    s_live->current.clear();
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) != nullptr) {
        s_live->current = folder;
        if (s_live->current.back() != '/') {
            s_live->current += '/';
        }
    }
}

bool FileStatusMemo::listNames(const std::string& folder,
                               const std::function<void(const std::string&)>& visit) {
    if (folder.empty() || folder.front() != '/') {
        return false;
    }
    const std::string path = folder.back() == '/' ? folder : folder + '/';
    if (s_live == nullptr) {
        Answers::Folder once;
        if (!Answers::list(path, once)) {
            return false;
        }
        once.entries.visit(visit);
        return true;
    }
    Answers::Folder& listing = s_live->folderOf(path);
    if (!listing.listed && !Answers::list(path, listing)) {
        return false;
    }
    listing.entries.visit(visit);
    return true;
}

FileStatusMemo::~FileStatusMemo() {
    if (m_answers && s_live == m_answers.get()) {
        s_live = nullptr;
    }
}

int FileStatusMemo::stat(const std::string& linuxPath, struct stat& info) {
    if (s_live == nullptr || linuxPath.empty() ||
        (linuxPath.front() != '/' && s_live->current.empty())) {
        return ::stat(linuxPath.c_str(), &info);
    }
    auto [place, added] = s_live->seen.try_emplace(
        linuxPath.front() == '/' ? linuxPath : s_live->current + linuxPath);
    Answers::Answer& answer = place->second;
    if (added) {
        if (::stat(linuxPath.c_str(), &info) != 0) {
            answer.error = errno;
            return -1;
        }
        answer.mode = info.st_mode;
        answer.size = info.st_size;
        answer.modified = info.st_mtim;
        answer.identity = info.st_ino;
        return 0;
    }
    if (answer.error != 0) {
        errno = answer.error;
        return -1;
    }
    info.st_mode = answer.mode;
    info.st_size = answer.size;
    info.st_mtim = answer.modified;
    info.st_ino = answer.identity;
    return 0;
}

int FileStatusMemo::type(const std::string& linuxPath) {
    if (s_live != nullptr && !linuxPath.empty() &&
        (linuxPath.front() == '/' || !s_live->current.empty())) {
        // What a listing shows is what stat() finds; a name in the current folder itself is
        // looked up without joining the two.
        const std::size_t slash = linuxPath.rfind('/');
        std::string joined;
        if (linuxPath.front() != '/' && slash != std::string::npos) {
            joined = s_live->current + linuxPath;
        }
        const std::string_view path = joined.empty() ? std::string_view(linuxPath) : joined;
        const std::size_t cut = joined.empty() ? slash : path.rfind('/');
        const std::string_view folder =
            cut == std::string::npos ? std::string_view(s_live->current) : path.substr(0, cut + 1);
        const std::string_view name = cut == std::string::npos ? path : path.substr(cut + 1);
        if (const std::optional<int> listed = s_live->listed(folder, name)) {
            return *listed;
        }
        const std::string key =
            cut == std::string::npos ? s_live->current + linuxPath : std::string(path);
        if (const auto answer = s_live->seen.find(key); answer != s_live->seen.end()) {
            if (answer->second.error != 0) {
                errno = answer->second.error;
                return -1;
            }
            return static_cast<int>(answer->second.mode & S_IFMT);
        }
    }
    struct stat info {};
    if (stat(linuxPath, info) != 0) {
        return -1;
    }
    return static_cast<int>(info.st_mode & S_IFMT);
}

void FileStatusMemo::forget() {
    if (s_live != nullptr) {
        s_live->seen.clear();
        s_live->folders.clear();
        s_live->lastFolder = nullptr;
    }
}

} // namespace avrtazu
