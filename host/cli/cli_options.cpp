#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <utility>

namespace avrtazu {

namespace {

using Command = CliOptions::Command;

constexpr std::array<std::pair<const char*, Command>, 12> kCommandWords{{
    {"build", Command::Build},
    {"rebuild", Command::Rebuild},
    {"clean", Command::Clean},
    {"compile", Command::Compile},
    {"export-makefile", Command::ExportMakefile},
    {"add", Command::Add},
    {"new", Command::New},
    {"show", Command::Show},
    {"set", Command::Set},
    {"config", Command::Config},
    {"run", Command::Run},
    {"devices", Command::Devices},
}};

// The options that belong to one command, and that command.
constexpr std::array<std::pair<const char*, Command>, 6> kCommandOptions{{
    {"--part", Command::New},
    {"--json", Command::Show},
    {"--add", Command::Config},
    {"--remove", Command::Config},
    {"--seconds", Command::Run},
    {"--gdb", Command::Run},
}};

// A whole number from 1 to limit, as the value of a count or a port.
std::optional<int> positiveNumber(const std::string& text, int limit) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
        return std::nullopt;
    }
    const int number = std::stoi(text);
    return number >= 1 && number <= limit ? std::optional<int>(number) : std::nullopt;
}

// Splits "--name=value"; the value is nullopt for a bare "--name".
std::pair<std::string, std::optional<std::string>> splitOption(const std::string& argument) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        return {argument, std::nullopt};
    }
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

// A project name becomes the name of a file in the project's folder.
bool validProjectName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

} // namespace

std::string CliOptions::commandWord(Command command) {
    for (const auto& [word, known] : kCommandWords) {
        if (known == command) {
            return word;
        }
    }
    return command == Command::Version   ? "--version"
           : command == Command::SetHelp ? "set --help"
                                         : "--help";
}

std::string CliOptions::usage() {
    return "Usage: avrtazu [--registry FILE] [--studio-dir DIR] [--verbose] COMMAND PROJECT.aps "
           "[ARGS]\n"
           "       avrtazu [--registry FILE] [--studio-dir DIR] [--verbose] new DIR NAME "
           "[--part DEVICE]\n"
           "       avrtazu set --help | devices | --help | --version\n"
           "\n"
           "Runs the AVR TAZU compiler plug-in on a project, as the IDE would, and saves the "
           "project.\n"
           "\n"
           "Commands:\n"
           "  build                  build the project\n"
           "  rebuild                clean, then build the project\n"
           "  clean                  remove the project's build output\n"
           "  compile FILE           compile one source file of the project\n"
           "  export-makefile OUT    write the project's Makefile to OUT\n"
           "  add FILE...            add files to the project\n"
           "  new DIR NAME           create the project DIR/NAME.aps as the IDE does, for the\n"
           "                         device of --part DEVICE (none: Custom), and accept its\n"
           "                         options as shown\n"
           "  show [--json]          print the project: configurations, device, memory, output,\n"
           "                         folders and files (--json: as one JSON object); saves "
           "nothing\n"
           "  set KEY=VALUE...       change settings of the active configuration through the\n"
           "                         options sheet's checks ('avrtazu set --help' lists the keys)\n"
           "  config NAME [KEY=VALUE...]\n"
           "                         make the configuration NAME active (--add: add it first,\n"
           "                         --remove: remove it), then set the settings given\n"
           "  run [--seconds N] [--gdb PORT]\n"
           "                         build if needed, run the firmware in simavr and print what\n"
           "                         it sends on its first serial port, for N seconds (default 2;\n"
           "                         with --gdb until Ctrl+C), --gdb: wait for a debugger on PORT\n"
           "  devices                list the devices of the catalogue\n"
           "\n"
           "Options:\n"
           "  --registry FILE        the registry file (default: avrtazu.reg beside avrtazu)\n"
           "  --studio-dir DIR       the folder holding AvrStudioPlugin/ (default: avrtazu's "
           "folder)\n"
           "  --verbose              also show the plug-in's debug log\n"
           "  --help                 show this text\n"
           "  --version              show the version\n"
           "\n"
           "Build output goes to standard output, the log to standard error (for run, the\n"
           "firmware's serial output goes to standard output and the build's to standard error).\n"
           "A refused setting leaves the project file untouched.\n"
           "Exit status: 0 success, 1 the command or the build failed (an error the compiler\n"
           "counted, make's Error or Stop, a tool that could not be started, or no output), 2 bad\n"
           "usage or a project file that cannot be read, 130 or 143 stopped by SIGINT or SIGTERM\n"
           "(Ctrl+C ends the running tool and everything it started).\n";
}

std::optional<CliOptions> CliOptions::parse(const std::vector<std::string>& arguments,
                                            std::string* error) {
    CliOptions options;
    bool help = false;
    bool version = false;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    // The command-bound options given, to check against the command.
    std::vector<std::string> given;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        auto [name, value] = splitOption(argument);
        const bool flag = name == "--help" || name == "-h" || name == "--version" ||
                          name == "--verbose" || name == "--json" || name == "--add" ||
                          name == "--remove";
        if (flag && value) {
            *error = "option " + name + " takes no value";
            return std::nullopt;
        }
        if (name == "--help" || name == "-h") {
            help = true;
        } else if (name == "--version") {
            version = true;
        } else if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--json") {
            options.json = true;
        } else if (name == "--add" || name == "--remove") {
            options.configAction =
                name == "--add" ? CliOptions::ConfigAction::Add : CliOptions::ConfigAction::Remove;
            given.push_back(name);
        } else if (name == "--seconds" || name == "--gdb") {
            if (!value && i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            const std::optional<int> number = positiveNumber(value.value_or(""), 65535);
            if (!number) {
                *error = "option " + name +
                         (name == "--gdb" ? " needs a PORT (1 to 65535)"
                                          : " needs a number of seconds (N)");
                return std::nullopt;
            }
            (name == "--gdb" ? options.gdbPort : options.seconds) = number;
        } else if (name == "--registry" || name == "--studio-dir" || name == "--part") {
            if (!value && i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            if (!value || value->empty()) {
                *error = "option " + name +
                         (name == "--registry" ? " needs a FILE"
                          : name == "--part"   ? " needs a DEVICE"
                                               : " needs a folder (DIR)");
                return std::nullopt;
            }
            (name == "--registry"     ? options.registryFile
             : name == "--studio-dir" ? options.studioDirectory
                                      : options.part) = *value;
            given.push_back(name);
        } else {
            *error = "unknown option '" + argument + "'";
            return std::nullopt;
        }
    }

    if (help || version) {
        options.command = help ? Command::Help : Command::Version;
        if (help && !positional.empty() && positional.front() == "set") {
            options.command = Command::SetHelp;
        }
        return options;
    }
    if (positional.empty()) {
        *error = "no command given";
        return std::nullopt;
    }
    const std::string& word = positional.front();
    const auto known = std::find_if(kCommandWords.begin(), kCommandWords.end(),
                                    [&word](const auto& entry) { return word == entry.first; });
    if (known == kCommandWords.end()) {
        *error = "unknown command '" + word + "'";
        return std::nullopt;
    }
    options.command = known->second;
    if (options.json) {
        given.push_back("--json");
    }
    for (const std::string& option : given) {
        for (const auto& [known, owner] : kCommandOptions) {
            if (option == known && owner != options.command) {
                *error = "option " + option + " belongs to '" + commandWord(owner) + "'";
                return std::nullopt;
            }
        }
    }
    if (std::count(given.begin(), given.end(), "--add") +
            std::count(given.begin(), given.end(), "--remove") >
        1) {
        *error = "'config' takes one of --add and --remove";
        return std::nullopt;
    }
    if (options.command == Command::Devices) {
        if (positional.size() > 1) {
            *error = "'devices' takes no arguments";
            return std::nullopt;
        }
        return options;
    }
    if (positional.size() < 2 || positional[1].empty()) {
        *error = options.command == Command::New
                     ? "'new' needs a folder (DIR) and a NAME"
                     : "'" + word + "' needs a project file (PROJECT.aps)";
        return std::nullopt;
    }
    options.project = positional[1];
    options.files.assign(positional.begin() + 2, positional.end());

    const std::size_t count = options.files.size();
    switch (options.command) {
    case Command::Build:
    case Command::Rebuild:
    case Command::Clean:
    case Command::Show:
    case Command::Run:
        if (count != 0) {
            *error = "'" + word + "' takes nothing after the project file";
            return std::nullopt;
        }
        break;
    case Command::Compile:
    case Command::ExportMakefile:
        if (count != 1) {
            *error = "'" + word + "' needs exactly one " +
                     (options.command == Command::Compile ? "FILE" : "OUT") +
                     " after the project file";
            return std::nullopt;
        }
        break;
    case Command::Add:
        if (count == 0) {
            *error = "'add' needs at least one FILE after the project file";
            return std::nullopt;
        }
        break;
    case Command::New:
        if (count != 1) {
            *error = "'new' needs a folder (DIR) and a NAME, and nothing after them";
            return std::nullopt;
        }
        options.name = options.files.front();
        options.files.clear();
        // "blink.aps" names the project blink, as the file it becomes.
        if (options.name.size() > 4 &&
            options.name.compare(options.name.size() - 4, 4, ".aps") == 0) {
            options.name.resize(options.name.size() - 4);
        }
        if (!validProjectName(options.name)) {
            *error =
                "'" + options.name + "' cannot name a project: use a file name without a folder";
            return std::nullopt;
        }
        break;
    case Command::Config:
        if (count == 0) {
            *error = "'config' needs a configuration NAME after the project file";
            return std::nullopt;
        }
        options.name = options.files.front();
        options.files.erase(options.files.begin());
        if (options.configAction == CliOptions::ConfigAction::Remove && !options.files.empty()) {
            *error = "'config --remove' takes nothing after NAME";
            return std::nullopt;
        }
        [[fallthrough]];
    case Command::Set:
        if (options.command == Command::Set && count == 0) {
            *error = "'set' needs at least one KEY=VALUE after the project file";
            return std::nullopt;
        }
        for (const std::string& setting : options.files) {
            if (setting.find('=') == std::string::npos || setting.front() == '=') {
                *error = "'" + setting + "' is no KEY=VALUE setting (see 'avrtazu set --help')";
                return std::nullopt;
            }
        }
        return options;
    case Command::Help:
    case Command::Version:
    case Command::SetHelp:
    case Command::Devices:
        break;
    }
    for (const std::string& file : options.files) {
        if (file.empty()) {
            *error = "'" + word + "' was given an empty file name";
            return std::nullopt;
        }
    }
    return options;
}

} // namespace avrtazu
