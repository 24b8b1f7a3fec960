#pragma once

#include <string>

namespace avrtazu {

class PlugInUtility;

// Finds the installed tazu toolchain through the registry and fills the locations that
// PlugInUtility keeps. PlugInUtility runs it on creation and whenever locateToolchain is asked.
class ToolchainLocator {
public:
    // Reads the uninstaller's command, else the install directory under "Software"; a missing
    // key or value leaves the locations as they were and logs nothing, a value longer than the
    // registry buffer leaves them too, with a warning that says so. After a find, logs at the
    // debug level whether each tool exists.
    static void locate(PlugInUtility& utility);

    // The install root named by an uninstall command: the folder of its last absolute path,
    // from the drive letter to the last backslash. Empty when the command names none.
    static std::string rootFromUninstallString(const std::string& command);
};

} // namespace avrtazu
