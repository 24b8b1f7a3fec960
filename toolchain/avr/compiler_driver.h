#pragma once

#include "avr/diagnostic_converter.h"
#include "avr/elf_sections.h"
#include "avr/gcc_command.h"
#include "avr/link_record.h"
#include "avr/tazu_options.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// Where the GNU AVR programs and the toolchain's own library folder are.
struct AvrTools {
    std::string gcc;
    std::string objcopy;
    std::string objdump;
    // The toolchain's lib folder (start-up helpers), as a Linux path.
    std::string libraryFolder;
};

// The compiler driver: compiles sources to objects with their dependency files, or links
// objects into the debug object, the Intel HEX file, the listing and the map, and prints every
// diagnostic as a "!E" or "!W" line.
class CompilerDriver {
public:
    // Takes each line printed; without one, lines go to standard output.
    using LineSink = std::function<void(const std::string&)>;

    explicit CompilerDriver(AvrTools tools, LineSink sink = {});

    // The GNU AVR programs on the PATH (or in /usr/bin) and the toolchain's lib folder; none
    // when a program is missing.
    static std::optional<AvrTools> locateTools();

    // Returns the exit status: 0 when no error was reported, 1 otherwise.
    int run(const std::vector<std::string>& arguments);
    // For a link that would change nothing: gives sink what run() prints then (the memory
    // summary) and gives its status, starting nothing. None for anything else, a compile
    // included, printing nothing: that command needs run(). Lets make answer a no-op link
    // without starting the driver.
    static std::optional<int> runIfUpToDateLink(const std::vector<std::string>& arguments,
                                                LineSink sink);

private:
    // What a link of these options reads and writes, and the record that tells whether it
    // would change anything; objects that are missing are not in the job.
    struct LinkPlan {
        LinkJob job;
        std::string base;
        LinkRecord record;
        std::vector<std::string> missing;
    };
    LinkPlan planLink(const TazuOptions& options);

    bool compile(const TazuOptions& options, const std::string& mcu, const std::string& source);
    // Keeps what a compile runs in dep/STEM.o.cmd, for the build's compile_commands.json.
    void recordCompile(const std::string& source, const std::string& stem,
                       const std::vector<std::string>& arguments);
    bool link(const TazuOptions& options);
    // The MCU for the link: the device define's, else the one the objects were compiled for.
    std::string linkMcu(const TazuOptions& options, const std::vector<std::string>& objects);
    // The memory check and summary of a linked program; false when it does not fit.
    bool reportMemory(const TazuOptions& options, const ElfImage& image);
    // The user's own start-up object, looked for as given and in the library folders.
    std::string userStartupObject(const TazuOptions& options,
                                  const std::vector<std::string>& folders);
    // What a link record compares, and the files whose times it checks.
    std::vector<std::string> linkSwitches(const LinkJob& job) const;
    std::vector<std::string> linkInputs(const TazuOptions& options, const LinkJob& job);
    bool buildHelper(const TazuOptions& options, const std::string& mcu, const std::string& source,
                     const std::string& object, const std::vector<std::string>& defines);
    bool runTool(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& failure);
    bool supportsMcu(const std::string& mcu);
    // The compiler's device-specs folder; empty for a compiler that has none.
    const std::string& deviceSpecsFolder();
    void error(const std::string& message);
    void print(const std::string& line);

    AvrTools tools_;
    DiagnosticConverter converter_;
    LineSink sink_;
    std::vector<std::string> arguments_;
    bool failed_ = false;
    std::optional<std::string> specsFolder_;
};

} // namespace avrtazu
