#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// Finds the programs that command lines and batch files name.
class ProgramLocator {
public:
    // The folders of this process's PATH, in order.
    static std::vector<std::string> searchFolders();
    // The folders of a PATH text in this OS's form (":"-separated); empty entries are dropped.
    static std::vector<std::string> splitSearchPath(const std::string& pathText);

    // The Linux path of the program a command word names, or empty (errno ENOENT) when there
    // is none. A word with a folder part (Windows or Linux path) is taken as it is, relative
    // words against baseFolder (a Linux folder; empty: the current folder); a bare name is
    // looked for in the folders. A name without an extension is tried with ".exe" first, as
    // Windows would. Programs must be executable; batch files need only exist.
    static std::string find(const std::string& word, const std::vector<std::string>& folders,
                            const std::string& baseFolder = {});

    // Whether a path names a batch file (".bat" or ".cmd", any case).
    static bool isBatchFile(const std::string& path);

    // The batch-file runner: $TAZU_BATCH_RUNNER, else tazubat beside the running program, else
    // the one in the build tree. Empty (errno ENOENT) when none exists.
    static std::string batchRunner();

    // The drives mapped in this process as a TAZU_DRIVES text, so that children see them.
    static std::string drivesVariable();
    // This process's environment with TAZU_DRIVES set to the drives mapped here.
    static std::vector<std::string> childEnvironment();
};

} // namespace avrtazu
