#pragma once

#include "avr/tazu_options.h"

#include <functional>
#include <string>
#include <vector>

namespace avrtazu {

// The files of one compile, as Linux paths.
struct CompileJob {
    std::string source;
    std::string object;
    std::string dependencyFile;
    std::string listingFile; // used with "-l"
};

// The files of one link, as Linux paths.
struct LinkJob {
    std::vector<std::string> inputs;
    std::vector<std::string> extraObjects; // start-up helpers built from the toolchain's lib
    std::string startupObject;             // a start-up file of the user's, replacing avr-libc's
    std::vector<std::string> libraryFolders;
    std::string elf;
    std::string map;
};

// The MCU avr-gcc builds for, and why, when it is not the device's own.
struct McuChoice {
    std::string mcu;
    // Set when a device define named a device that avr-gcc lacks.
    std::string fallbackNote;
};

// Turns TazuOptions into the command lines of avr-gcc, avr-objcopy and avr-objdump.
class GccCommand {
public:
    using PathMapper = std::function<std::string(const std::string&)>;

    // The device of the define when avr-gcc supports it, else a device standing in for the
    // architecture of the core switches and the program memory size.
    static McuChoice chooseMcu(const TazuOptions& options,
                               const std::function<bool(const std::string&)>& supports);

    // Objects remember the MCU they were compiled for in a symbol of this name + the MCU, so
    // the link, whose switches name no device, builds for the same one.
    static constexpr const char* mcuSymbolPrefix = "__tazu_mcu_";

    // Folders in the options are Windows paths; mapPath turns them into Linux paths.
    static std::vector<std::string> compile(const TazuOptions& options, const std::string& mcu,
                                            const CompileJob& job, const PathMapper& mapPath);
    // withPrintf: link the printf that the library switch chose; without it, avr-libc's
    // standard one, which a program that prints nothing does not pull in at all.
    static std::vector<std::string> link(const TazuOptions& options, const std::string& mcu,
                                         const LinkJob& job, bool withPrintf);
    // avr-objcopy: program memory as Intel HEX.
    static std::vector<std::string> hex(const TazuOptions& options, const std::string& elf,
                                        const std::string& hexFile);
    // avr-objcopy: EEPROM contents as Intel HEX.
    static std::vector<std::string> eepromHex(const std::string& elf, const std::string& hexFile);
    // avr-objdump: the listing, source interleaved when there is debug information.
    static std::vector<std::string> listing(const std::string& elf);

    // Whether a start-up file name is one of the toolchain's own; "ram" ones also enable the
    // external SRAM interface.
    static bool isStandardStartup(const std::string& name);
    static bool isExternalRamStartup(const std::string& name);
};

} // namespace avrtazu
