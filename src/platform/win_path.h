#pragma once

#include <optional>
#include <string>

namespace avrtazu {

// The Windows path tests the model relies on, with their Windows meaning, on the mapped drives.
class WinPath {
public:
    // PathIsRelative: false for a path that starts with a backslash or has a drive letter.
    static bool isRelative(const std::string& path);
    // PathFileExists: true for an existing file or folder.
    static bool fileExists(const std::string& path);
    // GetLongPathName: there are no short names here, so an existing path is its own long
    // form; a missing one has none.
    static std::optional<std::string> longPathName(const std::string& path);
    // GetShortPathName: likewise, the path itself when it exists.
    static std::optional<std::string> shortPathName(const std::string& path);
};

} // namespace avrtazu
