#pragma once

#include <map>
#include <string>

namespace avrtazu {

// Maps the Windows paths used everywhere inside the system to the Linux file system.
// Drive Z: is the Linux root, as under Wine; other letters are mapped to folders, from the
// environment variable TAZU_DRIVES ("C=/srv/c;D=/mnt/d") or in code.
class DriveMap {
public:
    // Maps a drive letter (either case) to a Linux folder; replaces an earlier mapping.
    static void map(char letter, const std::string& linuxFolder);
    static void unmap(char letter);
    // Back to Z: and whatever TAZU_DRIVES says.
    static void reset();
    static std::map<char, std::string> drives();

    // A Windows path as a Linux path. Relative paths stay relative (slashes turned), a path
    // rooted without a drive lies on Z:. A drive that is not mapped gives the empty text,
    // which names no file.
    static std::string toLinux(const std::string& windowsPath);
    // A Linux path as a Windows path, through the mapped drive whose folder is the longest
    // prefix of it (Z: when no other fits). Relative paths only have their slashes turned.
    static std::string toWindows(const std::string& linuxPath);
};

} // namespace avrtazu
