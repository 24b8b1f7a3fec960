#pragma once

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// Blank-free stand-ins for folders whose paths hold blanks. Windows gave every path an 8.3
// short form without blanks, and make splits its rules at blanks; here such a folder gets a
// symbolic link in a per-user alias folder instead, named by a hash of the real folder, so
// every process of the user finds and reuses the same one. All paths here are Linux paths.
class ShortNameAlias {
public:
    // The alias folders the user may have, most preferred first, all absolute and blank-free.
    // The cache folder comes first: it outlives a reboot, so an exported Makefile keeps working.
    static std::vector<std::string> roots();
    // The alias of a real folder, made when missing or pointing elsewhere; none when no alias
    // folder can be had or something that is not a link stands in the way.
    static std::optional<std::string> aliasOf(const std::string& folder);
    // A path inside an alias as the real path; none for any other path.
    static std::optional<std::string> realPath(const std::string& path);
    // A path without "." and ".." steps. A ".." below an alias climbs from the real folder,
    // as the file system does, where a plain text fold would climb into the alias folder.
    static std::string normalPath(const std::string& path);
    // Every alias in a text, written as a Linux or a Windows path, replaced by its real folder
    // in the same form.
    static std::string expandAliases(const std::string& text);
    // The texts an alias begins with, in both forms: a text holding none of them has no alias,
    // which spares expandAliases for every line of a long build output.
    static std::vector<std::string> aliasPrefixes();
};

} // namespace avrtazu
