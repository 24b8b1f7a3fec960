#pragma once

#include <functional>
#include <memory>
#include <string>

struct stat;

namespace avrtazu {

// While one is alive, the status of each path is asked of the system once. Opening a project
// looks at every file of it several times (the tree, the missing-file check, the object's age)
// with nothing changing them in between; a change through FileSystem forgets what was seen.
// Whether a file exists is read from a listing of its folder once many files of that folder
// were asked about: one pass over the folder instead of a call per file. An inner memo leaves
// the outer one in charge.
class FileStatusMemo {
public:
    FileStatusMemo();
    ~FileStatusMemo();
    FileStatusMemo(const FileStatusMemo&) = delete;
    FileStatusMemo& operator=(const FileStatusMemo&) = delete;

    // stat() of a Linux path, answered from the live memo when there is one. Only st_mode,
    // st_size, st_mtim and st_ino are filled from a remembered answer; a failure sets errno as
    // stat did.
    static int stat(const std::string& linuxPath, struct stat& info);
    // The type bits of st_mode (S_IFREG, S_IFDIR, ...) that stat() would give, or -1 with errno
    // set where stat() would fail.
    static int type(const std::string& linuxPath);
    // Forgets every remembered answer of the live memo.
    static void forget();
    // The process's current folder changed: the live memo joins relative paths to the new one.
    static void folderChanged();
    // Visits the names in a folder (an absolute Linux path) from the live memo's listing of it,
    // made now when there is none, so that the folder is read once however many ask; without a
    // live memo, from a listing made for this call. False when the folder cannot be listed.
    static bool listNames(const std::string& folder,
                          const std::function<void(const std::string&)>& visit);

private:
    struct Answers;
    static Answers* s_live;
    std::unique_ptr<Answers> m_answers;
};

} // namespace avrtazu
