#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace avrtazu {

// Size and last-modification time of a file, as a file status call gives them.
struct FileStatus {
    std::uint64_t size = 0;
    std::time_t modified = 0;
    // The same time to the nanosecond the file system keeps, and the file's identity: with the
    // size they tell a file rewritten or replaced since it was last looked at.
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t identity = 0;
};

// File and folder operations on Windows paths (mapped through DriveMap when touched).
// Every operation reports failure through its result and leaves the reason in errno,
// so that the caller can write it with SystemError.
class FileSystem {
public:
    // True for an existing file that is not a folder.
    static bool fileExists(const std::string& path);
    static bool folderExists(const std::string& path);

    // Creates one folder level, as CreateDirectory does: fails when the parent is missing or
    // the folder (or a file of that name) already exists. A trailing backslash is allowed.
    static bool createFolder(const std::string& path);
    // Creates an empty file; fails when anything of that name exists already.
    static bool createNewFile(const std::string& path);
    // Renames or moves a file or folder, as MoveFile does: fails when the target exists.
    static bool renameFile(const std::string& from, const std::string& to);
    // Deletes a file; fails for a folder or a missing file.
    static bool deleteFile(const std::string& path);

    static std::optional<FileStatus> status(const std::string& path);
    static std::optional<std::time_t> modificationTime(const std::string& path);
    static std::optional<std::uint64_t> fileSize(const std::string& path);
    // Gives an existing file the current time as its modification time, as a touch does.
    static bool touch(const std::string& path);

    // The whole file, byte for byte.
    static std::optional<std::string> readFile(const std::string& path);
    // The whole file read as text: CR LF line ends become LF.
    static std::optional<std::string> readTextFile(const std::string& path);

    // The process's current folder as a Windows path with a trailing backslash.
    static std::string currentFolder();
};

} // namespace avrtazu
