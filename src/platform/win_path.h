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
    // GetLongPathName: a path inside a blank-free alias (see shortPathName) names its real
    // folder again; any other existing path is its own long form; a missing one has none.
    static std::optional<std::string> longPathName(const std::string& path);
    // GetShortPathName: there are no 8.3 names here, so an existing path without blanks is
    // its own short form. One whose folders hold blanks, which make would split, lies in a
    // blank-free alias of its folder (a folder is aliased whole); blanks in a file's own name
    // stay. A missing path has none.
    static std::optional<std::string> shortPathName(const std::string& path);
    // The short form where there is one, else the path as it is: what make is given.
    static std::string shortPathOrSelf(const std::string& path);
};

} // namespace avrtazu
