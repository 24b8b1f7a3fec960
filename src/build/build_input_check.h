#pragma once

#include <string>
#include <vector>

namespace avrtazu {

class Project;

// What of a project cannot be written safely into its Makefile or build.bat: a name or setting
// holding a character that would end the line, begin a comment or a command, redirect, or be
// expanded where it lands; a memory size or address beyond any AVR. A document is data: only
// the settings that are commands by design are not looked at (the external Makefile with what
// it names, the post-link command but for its line ends, and the tool folders of a project that
// does not use the installed toolchain).
class BuildInputCheck {
public:
    // One text per finding, for an error line each; none when the build may run.
    static std::vector<std::string> findings(const Project& project);
};

} // namespace avrtazu
