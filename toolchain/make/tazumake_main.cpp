// tazumake: the toolchain's make tool. Reads "Makefile" in the current folder (or the file of
// -f), and brings the targets named on the command line, or the first target, up to date.

#include "make/make_runner.h"
#include "make/makefile_reader.h"
#include "make/system_make_actions.h"
#include "platform/drive_map.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace avrtazu;

int stop(const std::string& reason) {
    std::cout << "tazumake: *** Error: " << reason << std::endl;
    std::cout << "tazumake: *** Stop." << std::endl;
    return 2;
}

void usage() {
    std::cout
        << "Usage: tazumake [-f makefile] [-C folder] [-j jobs] [NAME=value ...] [target ...]\n"
           "Makes the targets of the Makefile in the current folder; without a target,\n"
           "the first target of the Makefile. Runs up to 'jobs' recipes at once (else\n"
           "TAZU_JOBS, else one per processor core).\n";
}

// A count of jobs: digits only, at least 1; 0 when the text is not one.
int jobCount(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoi(text);
}

int defaultJobs() {
    const char* variable = std::getenv("TAZU_JOBS");
    if (const int jobs = variable == nullptr ? 0 : jobCount(variable); jobs > 0) {
        return jobs;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int makeAll(int argc, char** argv) {
    std::string makefileName = "Makefile";
    std::vector<std::string> goals;
    std::vector<std::pair<std::string, std::string>> overrides;
    int jobs = 0;

    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help" || argument == "/?") {
            usage();
            return 0;
        }
        if (argument == "-f" || argument == "-C") {
            if (i + 1 >= argc) {
                return stop("option " + argument + " requires an argument");
            }
            const std::string value = argv[++i];
            if (argument == "-f") {
                makefileName = value;
            } else if (::chdir(DriveMap::toLinux(value).c_str()) != 0) {
                return stop("cannot change to folder " + value);
            }
        } else if (argument.rfind("-j", 0) == 0) {
            std::string count = argument.substr(2);
            if (count.empty() && i + 1 < argc) {
                count = argv[++i];
            }
            jobs = jobCount(count);
            if (jobs <= 0) {
                return stop("option -j requires a number of jobs from 1 to 9999");
            }
        } else if (!argument.empty() && argument.front() == '-') {
            return stop("unknown option " + argument);
        } else if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
            overrides.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
        } else {
            goals.push_back(argument);
        }
    }

    SystemMakeActions actions;
    const std::optional<std::string> text = actions.readText(makefileName);
    if (!text) {
        return stop("cannot read " + makefileName + ": No such file or directory");
    }

    Makefile makefile;
    for (const auto& [name, value] : overrides) {
        makefile.overrideVariable(name, value);
    }
    try {
        MakefileReader::read(*text, makefile);
    } catch (const MakefileError& error) {
        std::cout << "tazumake: " << makefileName << ":" << error.line()
                  << ": *** Error: " << error.what() << "." << std::endl;
        std::cout << "tazumake: *** Stop." << std::endl;
        return 2;
    }
    MakeRunner runner(makefile, actions, jobs > 0 ? jobs : defaultJobs());
    return runner.make(goals);
}

} // namespace

// Whatever goes wrong ends in one line that says so, never in an abort.
int main(int argc, char** argv) {
    try {
        return makeAll(argc, argv);
    } catch (const std::exception& error) {
        return stop(error.what());
    } catch (...) {
        return stop("unexpected failure");
    }
}
