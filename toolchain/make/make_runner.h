#pragma once

#include "make/makefile.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// What the make runner does to the world, so that rule selection can be tried without files
// or programs.
class MakeActions {
public:
    virtual ~MakeActions() = default;
    // The modification time of a file named in the Makefile; none when it does not exist.
    virtual std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) = 0;
    // Runs one command (expanded, without its "@" or "-" prefix); returns its exit status.
    virtual int run(const std::string& command) = 0;
    // One line of the make tool's own output.
    virtual void say(const std::string& line) = 0;
};

// Brings targets up to date: a target is remade when it is phony, when its file is missing,
// when a prerequisite is newer, or when a prerequisite was remade in this run.
class MakeRunner {
public:
    MakeRunner(const Makefile& makefile, MakeActions& actions);

    // Makes the goals in order (the default target when there are none). Returns 0 when
    // everything is up to date, 2 after an error, which it has reported with a line holding
    // "Error" and a line holding "Stop".
    int make(const std::vector<std::string>& goals);

private:
    enum class Outcome { UpToDate, Remade, Failed };

    Outcome update(const std::string& target, const std::string& neededBy);
    Outcome runCommands(const std::string& target, const MakeRule& rule);

    const Makefile& makefile_;
    MakeActions& actions_;
    std::map<std::string, Outcome> done_;
    std::vector<std::string> inProgress_;
};

} // namespace avrtazu
