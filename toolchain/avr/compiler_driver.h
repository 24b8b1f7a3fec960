#pragma once

#include "avr/diagnostic_converter.h"
#include "avr/elf_sections.h"
#include "avr/gcc_command.h"
#include "avr/tazu_options.h"

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
    explicit CompilerDriver(AvrTools tools);

    // Returns the exit status: 0 when no error was reported, 1 otherwise.
    int run(const std::vector<std::string>& arguments);

private:
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
    std::vector<std::string> arguments_;
    bool failed_ = false;
    std::optional<std::string> specsFolder_;
};

} // namespace avrtazu
