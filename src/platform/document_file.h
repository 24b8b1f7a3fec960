#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace avrtazu {

// A document file held by one program from reading to its last write: an advisory lock on the
// file keeps a second program on the same file waiting or refused, so neither writes over a
// change the other made. A write goes through a temporary file beside the real file (a symbolic
// link is followed and kept) and a rename, so a crash leaves the old or the new content whole;
// the temporaries a crash leaves behind are removed by the next holder. The lock moves to the
// new file before the rename, so it never lapses between two writes.
class DocumentFile {
public:
    DocumentFile() = default;
    ~DocumentFile();
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;

    // Takes the lock on the file at linuxPath and reads all of it into *bytes, refusing a file
    // larger than maxBytes. When another program holds it, onWait (when set) is called once and
    // the lock is tried again until `wait` has passed. On failure *error says why (to follow
    // "cannot read FILE: ") and nothing is held.
    bool open(const std::string& linuxPath, std::size_t maxBytes, std::chrono::milliseconds wait,
              const std::function<void()>& onWait, std::string* bytes, std::string* error);
    // A file that is not written yet: the first replace creates it and takes the lock.
    void adopt(const std::string& linuxPath);
    void release();

    // Whether the file now holds exactly these bytes.
    bool holds(const std::string& bytes) const;
    // Writes bytes as the file's whole new content; on failure the old content stays.
    bool replace(const std::string& bytes, std::string* error);

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace avrtazu
