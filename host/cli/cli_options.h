#pragma once

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// The command line of avrtazu:
//   avrtazu [--registry FILE] [--studio-dir DIR] [--verbose] COMMAND PROJECT.aps [ARGS]
//   avrtazu [--registry FILE] [--studio-dir DIR] [--verbose] new DIR NAME [--part DEVICE]
//   avrtazu [OPTIONS] set PROJECT.aps KEY=VALUE... | set --help
//   avrtazu [OPTIONS] config PROJECT.aps NAME [--add | --remove] [KEY=VALUE...]
//   avrtazu [OPTIONS] show PROJECT.aps [--json] | run PROJECT.aps [--seconds N] [--gdb PORT]
//   avrtazu devices | --help | --version
// Options may also follow the command; "--" ends them.
class CliOptions {
public:
    enum class Command {
        Help,
        Version,
        Build,
        Rebuild,
        Clean,
        Compile,
        ExportMakefile,
        Add,
        New,
        Show,
        Set,
        SetHelp,
        Config,
        Run,
        Devices
    };
    enum class ConfigAction { Switch, Add, Remove };

    Command command = Command::Help;
    std::string registryFile;
    std::string studioDirectory;
    bool verbose = false;
    // The project file; for new, the folder that receives it.
    std::string project;
    // FILE of compile, OUT of export-makefile, the files of add, KEY=VALUE of set and config.
    std::vector<std::string> files;
    // NAME and DEVICE of new: the project file is NAME.aps, the debugger's device DEVICE. NAME
    // of config.
    std::string name;
    std::string part;
    ConfigAction configAction = ConfigAction::Switch;
    // show --json
    bool json = false;
    // run: --seconds (none: until the firmware ends, or Ctrl+C, with --gdb; else 2) and --gdb.
    std::optional<int> seconds;
    std::optional<int> gdbPort;

    // nullopt and *error for a command line that does not fit.
    static std::optional<CliOptions> parse(const std::vector<std::string>& arguments,
                                           std::string* error);
    // The text of --help.
    static std::string usage();
    // The word that names a command on the command line.
    static std::string commandWord(Command command);
};

} // namespace avrtazu
