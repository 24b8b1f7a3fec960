#pragma once

#include "avr/device_table.h"

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// A memory area "start.end" of the memory switches; the end may be left open.
struct MemoryArea {
    long start = 0;
    std::optional<long> end;
};

enum class OutputFormat { HexAndCoff, CoffOnly, HexOnly };

// Which printf the program links: the small integer one, the one with long conversions, or
// the one with floating point (the "-lc…", "-llp…" and "-lfp…" library switches).
enum class PrintfKind { Integer, Long, Float };

// Everything the compiler driver was asked to do, as read from its switches.
struct TazuOptions {
    // "-c": compile each source to an object; otherwise link the inputs.
    bool compileOnly = false;
    // Sources to compile, or objects and libraries to link (words of "@" files included).
    std::vector<std::string> inputs;
    // "-o": the base name of the link outputs.
    std::string outputBase;

    std::vector<std::string> includeFolders;    // -I
    std::vector<std::string> asmIncludeFolders; // -Wa-I
    std::vector<std::string> libraryFolders;    // -L
    std::vector<std::string> defines;           // -D, as NAME or NAME=value
    std::vector<std::string> undefines;         // -U
    // The device define that selects the MCU ("ATMega16"), empty when none was given.
    std::string device;

    bool extensions = false;      // -e
    int strictness = 0;           // each -A
    bool debugInfo = false;       // -g
    bool listing = false;         // -l
    bool asmDebugInfo = false;    // -Wa-g
    bool wrapAround = false;      // -Wa-W / -Wl-W
    bool intSizedEnums = false;   // -Wf-intenum
    bool stringsInFlash = false;  // -Wf-str_in_flash
    bool reserveR20ToR23 = false; // -Wf-r20_23
    bool useElpm = false;         // -Wf-use_elpm

    CoreKind core = CoreKind::Classic; // -M…
    bool extendedCalls = false;        // -xcall

    std::optional<long> programEnd;       // -e:
    std::optional<MemoryArea> codeArea;   // -bfunc_lit:
    std::optional<MemoryArea> vectorArea; // -bvector:
    std::optional<MemoryArea> dataArea;   // -bdata:
    std::optional<long> ramEnd;           // -dram_end:
    std::optional<long> returnStackSize;  // -dhwstk_size:
    std::optional<MemoryArea> eeprom;     // -beeprom: start.size
    std::optional<int> externalRamFast;   // -dFRAM: 0 with a wait state, 1 without

    std::string startupFile;     // -u
    std::optional<int> fillByte; // -F
    OutputFormat format = OutputFormat::HexAndCoff;
    int summaryLevel = 0; // -S

    PrintfKind printf = PrintfKind::Integer;
    std::string libraryFamily;          // avr, atmega, atm128, atm256 (+ "gr")
    bool studioIo = false;              // -lstudio
    std::vector<std::string> libraries; // other -l names

    // Switches that could not be understood, as messages for "!E" lines.
    std::vector<std::string> errors;
};

} // namespace avrtazu
