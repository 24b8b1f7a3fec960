#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace avrtazu {

// What the make runner does to the world, so that rule selection can be tried without files
// or programs. run() may be called from several threads at once (one per running job); the
// other calls come from the thread that called MakeRunner::make.
class MakeActions {
public:
    virtual ~MakeActions() = default;
    // The modification time of a file named in the Makefile; none when it does not exist.
    virtual std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) = 0;
    // The text of a file (a dependency list); none when it cannot be read.
    virtual std::optional<std::string> readText(const std::string& name) = 0;
    // Runs one command (expanded, without its "@" or "-" prefix); returns its exit status.
    // With output, everything the command prints (and the make tool's own line about it) is
    // appended there instead of being printed.
    virtual int run(const std::string& command, std::string* output) = 0;
    // A piece of the make tool's output: one line, or a finished job's lines, printed whole.
    virtual void say(const std::string& text) = 0;

    // One line of the make tool's own about a command: said at once, or, with output, kept in
    // the job's output with the command's.
    void report(const std::string& line, std::string* output) {
        if (output == nullptr) {
            say(line);
        } else {
            *output += line + '\n';
        }
    }
};

} // namespace avrtazu
