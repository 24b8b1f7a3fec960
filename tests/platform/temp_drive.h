#pragma once

#include "platform/drive_map.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <string>

namespace avrtazu::test {

// A fresh temporary folder mapped as a drive letter for one test; removed with everything in
// it at the end, when the drive map is reset (or, with unmapOnly, only this letter unmapped).
class TempDrive {
public:
    explicit TempDrive(char letter = 'C', bool unmapOnly = false)
        : letter_(letter), unmapOnly_(unmapOnly) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tazu-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        root_ = pattern;
        DriveMap::map(letter_, root_);
    }
    ~TempDrive() {
        unmapOnly_ ? DriveMap::unmap(letter_) : DriveMap::reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    // The Linux folder behind the drive.
    const std::string& root() const { return root_; }
    // The Linux path of a path relative to the drive's root ("a/b.txt" or "a\b.txt").
    std::string linux(const std::string& relative) const { return root_ + "/" + turn(relative); }
    // The Windows path of a path relative to the drive's root.
    std::string windows(std::string relative) const {
        std::replace(relative.begin(), relative.end(), '/', '\\');
        return std::string(1, letter_) + ":\\" + relative;
    }
    // Writes a file (folders made as needed), executable on request; returns its Linux path.
    std::string write(const std::string& relative, const std::string& content,
                      bool executable = false) const {
        const std::filesystem::path path = linux(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        if (executable) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                                         std::filesystem::perm_options::add);
        }
        return path.string();
    }
    // The file's bytes; empty when it is missing.
    std::string read(const std::string& relative) const {
        std::ostringstream content;
        content << std::ifstream(linux(relative), std::ios::binary).rdbuf();
        return content.str();
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(linux(relative));
    }
    void makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(linux(relative));
    }

private:
    static std::string turn(std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    char letter_;
    bool unmapOnly_;
    std::string root_;
};

} // namespace avrtazu::test
