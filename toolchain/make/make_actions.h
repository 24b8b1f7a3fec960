#pragma once

#include "make/job_output.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace avrtazu {

// What the make runner does to the world, so that rule selection can be tried without files
// or programs. run() may be called from several threads at once (one per running job), and
// write() from the thread of the job in the foreground; the other calls come from the thread
// that called MakeRunner::make.
class MakeActions {
public:
    virtual ~MakeActions() = default;
    // The modification time of a file named in the Makefile; none when it does not exist.
    virtual std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) = 0;
    // The text of a file (a dependency list); none when it cannot be read.
    virtual std::optional<std::string> readText(const std::string& name) = 0;
    // Runs one command (expanded, without its "@" or "-" prefix); returns its exit status.
    // With output, everything the command prints (and the make tool's own line about it) goes
    // there instead of straight out.
    virtual int run(const std::string& command, JobOutput* output) = 0;
    // A piece of the make tool's output as it is: lines, a job's held lines, or a part of a
    // line a tool printed.
    virtual void write(std::string_view text) = 0;

    void say(const std::string& line) { write(line + '\n'); }
    // One line of the make tool's own about a command: said at once, or, with output, in the
    // job's output with the command's.
    void report(const std::string& line, JobOutput* output) {
        if (output == nullptr) {
            say(line);
        } else {
            output->write(line + '\n');
        }
    }
};

} // namespace avrtazu
