#include "build/makefile_generator.h"

#include "build/makefile_numbers.h"
#include "model/device_catalog.h"
#include "model/project.h"
#include "platform/log_sink.h"
#include "platform/text_case.h"
#include "platform/text_file_writer.h"
#include "platform/win_path.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace avrtazu {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Addresses are 32-bit values that may wrap (a boot area larger than the flash); unsigned
// arithmetic keeps the wrap defined and the bits the same.
std::int32_t wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::string objectName(const SourceFile& file) {
    return file.stem() + ".o";
}

// The item list of a ";"-separated setting: empty items count, an empty tail does not.
void writeSeparated(std::ostream& out, std::string_view flag, std::string_view text) {
    std::string_view::size_type semicolon;
    while ((semicolon = text.find(';')) != std::string_view::npos) {
        out << flag << text.substr(0, semicolon) << ' ';
        text.remove_prefix(semicolon + 1);
    }
    if (!text.empty()) {
        out << flag << text << ' ';
    }
}

// Relative directories are the project's own; absolute ones stand as typed. A folder whose
// path holds blanks is named by its short form, as the sources are.
void writeDirectories(std::ostream& out, std::string_view flag,
                      const std::vector<std::string>& directories, const std::string& homePath) {
    for (const std::string& directory : directories) {
        const std::string path =
            SourceFile(directory).isRelative() ? homePath + directory : directory;
        out << flag << '"' << WinPath::shortPathOrSelf(path) << "\" ";
    }
}

// The device row the part names. An unknown part gets the end row, whose empty name and zero
// flags leave out every device-dependent switch.
const DeviceInfo& findDevice(const std::string& part) {
    const int row = DeviceCatalog::findExact(part);
    if (row < 0) {
        LogSink::post(LogLevel::Warning, "",
                      "The part \"" + part +
                          "\" is not in the device table; the Makefile has no "
                          "device-dependent switches.");
        return DeviceCatalog::device(DeviceCatalog::deviceCount);
    }
    return DeviceCatalog::device(row);
}

std::string outputDirectory(const Project& project) {
    std::string directory = project.outputDir();
    if (!contains(directory, ":")) {
        directory.insert(0, project.homePath());
    }
    return directory;
}

// The object names the linker reads from <project>.lk: each followed by a blank, no line end.
void writeLinkerFileList(const Project& project) {
    TextFileWriter list(outputDirectory(project) + project.name() + ".lk");
    for (const SourceFile& file : project.srcFiles()) {
        list << objectName(file) << ' ';
    }
}

struct Memory {
    std::int32_t progMem;
    std::int32_t textAddr;
    std::int32_t dataMem;
    std::int32_t dataAddr;
    bool hasBootSize;
    std::int32_t bootBytes;
    bool internalSram;
    bool hexOnly;
};

Memory readMemory(const Project& project) {
    Memory memory{};
    memory.progMem = makefileNumber(project.programMemory());
    memory.textAddr = makefileNumber(project.textAddressWord());
    memory.dataMem = makefileNumber(project.dataMemory());
    memory.dataAddr = makefileNumber(project.dataAddressByte());
    memory.hasBootSize = !TextCase::equalIgnoringCase(project.bootSize(), "None");
    memory.bootBytes = memory.hasBootSize ? bootSizeBytes(project.bootSize()) : 0;
    memory.internalSram = TextCase::equalIgnoringCase(project.sram(), "Internal SRAM");
    memory.hexOnly = TextCase::equalIgnoringCase(project.outputFormat(), "Intel HEX");
    return memory;
}

void writeCflags(std::ostream& out, const Project& project, const DeviceInfo& device,
                 const Memory& memory) {
    const std::string homePath = project.homePath();
    const bool longCalls = project.useLongCallJmp();
    const bool enhanced = project.enhancedCore();

    out << "CFLAGS =  ";
    writeDirectories(out, "-I", project.includes(), homePath);
    if (project.extension()) {
        out << "-e ";
    }
    out << "-D__TAZU_VERSION=\"7.13\" ";
    writeSeparated(out, "-D", project.macroDefinitions());
    writeSeparated(out, "-U", project.undefines());
    if (longCalls) {
        out << "-DATMEGA ";
    }
    if (device.eepromExtIo) {
        out << "-D_EE_EXTIO ";
    }
    // Both ATMega128 rows build as the one compiler device; the end row has no name to define.
    if (!device.name.empty() && !TextCase::equalIgnoringCase(device.name, "Custom")) {
        if (contains(device.name, "ATMega128 ")) {
            out << "-DATMega128 ";
        } else {
            out << "-D" << device.name << ' ';
        }
    }
    out << " -l ";
    if (project.strictCheckings()) {
        out << "-A -A ";
    }
    if (!memory.hexOnly) {
        out << "-g ";
    }
    writeDirectories(out, "-Wa-I", project.asmincludes(), homePath);
    if (project.intSizeEnum()) {
        out << "-Wf-intenum ";
    }
    if (enhanced && !longCalls) {
        out << "-Mavr_enhanced_small ";
    } else if (enhanced && longCalls) {
        out << (memory.progMem >= 0x40000 ? "-Mavr_extended " : "-Mavr_enhanced ");
    } else if (longCalls) {
        out << "-Mavr_mega ";
    }
    if (memory.progMem == 0x2000) {
        out << "-Wa-W ";
    }
    if (project.stringsInFlashOnly()) {
        out << "-Wf-str_in_flash ";
    }
    if (project.doNotUseR20ToR23()) {
        out << "-Wf-r20_23 ";
    }
    if (project.useRampzElpm()) {
        out << "-Wf-use_elpm ";
    }
    out << '\n';
}

void writeStartupFile(std::ostream& out, const Project& project, const DeviceInfo& device,
                      const Memory& memory) {
    const std::string startup = project.nonDefaultStartup();
    if (!startup.empty()) {
        out << "-u" << startup << ' ';
    } else if (project.programType() != 0) {
        out << "-ucrtboot";
        if (memory.progMem == 0x20000) {
            out << "128";
        } else if (memory.progMem == 0x40000) {
            out << "256";
        } else if (memory.progMem == 0x80000) {
            out << "512";
        } else if (memory.progMem <= 0x2000) {
            out << "8k";
        }
        out << ".o ";
    } else if (project.useLongCallJmp()) {
        if (memory.internalSram) {
            out << "-ucrtatmega.o ";
        } else {
            out << (device.externalMemoryKind == 1 ? "-ucrtatmegaram.o " : "-ucrtnewram.o ");
        }
    } else if (!memory.internalSram) {
        out << "-ucrtavrram.o ";
    }
}

// Code after the vectors up to the flash end, or below the boot area that the application
// leaves free; a boot loader's code lives inside that area.
void writeCodeArea(std::ostream& out, const Project& project, const Memory& memory) {
    const int programType = project.programType();
    const std::int64_t bootStart = std::int64_t{memory.progMem} - memory.bootBytes;
    std::int64_t start = std::int64_t{memory.textAddr} * 2;
    if (programType != 0) {
        start += bootStart;
    }
    const bool toFlashEnd = programType == 1 || (programType == 0 && !memory.hasBootSize);
    const std::int64_t end = toFlashEnd ? memory.progMem : bootStart;
    out << "-bfunc_lit:" << hexForm(wrap(start)) << '.' << hexForm(wrap(end)) << ' ';
}

void writeDataArea(std::ostream& out, const Project& project, const Memory& memory) {
    const std::int64_t ramEnd = project.ioRegsOffsetInternalSram()
                                    ? std::int64_t{memory.dataAddr} + memory.dataMem - 1
                                    : std::int64_t{memory.dataMem} - 1;
    out << "-dram_end:" << hexForm(wrap(ramEnd)) << ' ';
    out << "-bdata:";
    if (memory.internalSram) {
        out << hexForm(memory.dataAddr) << '.' << hexForm(wrap(ramEnd));
    } else {
        // External SRAM follows the internal one up to the end of its address window.
        const std::string sram = project.sram();
        out << hexForm(wrap(ramEnd + 1)) << '.';
        if (contains(sram, "32K")) {
            out << "0x7fff";
        } else if (contains(sram, "64K")) {
            out << "0xffff";
        }
    }
    out << ' ';
}

void writeLflags(std::ostream& out, const Project& project, const DeviceInfo& device,
                 const Memory& memory) {
    out << "LFLAGS =  ";
    writeDirectories(out, "-L", project.libdirs(), project.homePath());
    if (!memory.hexOnly) {
        out << "-g ";
    }
    out << "-e:" << hexForm(memory.progMem) << ' ';
    if (memory.progMem == 0x2000) {
        out << "-Wl-W ";
    } else if (memory.progMem >= 0x40000) {
        out << "-xcall ";
    }
    writeStartupFile(out, project, device, memory);
    if (memory.hasBootSize && project.programType() != 0) {
        out << "-bvector:" << hexForm(wrap(std::int64_t{memory.progMem} - memory.bootBytes)) << '.'
            << hexForm(memory.progMem) << ' ';
    }
    writeCodeArea(out, project, memory);
    writeDataArea(out, project, memory);
    if (!memory.internalSram) {
        out << (contains(project.sram(), "wait") ? "-dFRAM:0 " : "-dFRAM:1 ");
    }
    out << "-dhwstk_size:" << project.returnStackSize() << ' ';
    const std::string eeprom = project.eeprom();
    if (!eeprom.empty()) {
        out << "-beeprom:" << (device.eepromStartsAtOne ? "1." : "0.") << eeprom << ' ';
    }
    const std::string format = project.outputFormat();
    if (TextCase::equalIgnoringCase(format, "HEX/COFF")) {
        out << "-fihx_coff ";
    } else if (TextCase::equalIgnoringCase(format, "COFF")) {
        out << "-fcoff ";
    } else {
        out << "-fintelhex ";
    }
    const std::string fillBytes = project.unusedRomFillBytes();
    if (!fillBytes.empty()) {
        out << "-F" << fillBytes << ' ';
    }
    const std::string otherOptions = project.otherOptions();
    if (!otherOptions.empty()) {
        out << otherOptions << ' ';
    }
    out << "-S2 \n";
}

// The C library that matches the printf flavour, the core family and the register use; the
// driver links plain -lcavr by itself.
std::string librarySwitches(const Project& project, const Memory& memory) {
    const int printfVersion = project.printfVersion();
    const bool longPrintf = printfVersion == 1 || printfVersion == 2;
    const char* printfLibrary = printfVersion == 1 ? "-llp" : printfVersion == 2 ? "-lfp" : "-lc";
    const char* family = memory.progMem == 0x40000   ? "atm256"
                         : project.useLongCallJmp()  ? "atmega"
                         : memory.progMem == 0x20000 ? "atm128"
                                                     : "avr";
    const char* registers = project.doNotUseR20ToR23() ? "gr" : "";
    std::string text = std::string(printfLibrary) + family + registers;
    if (longPrintf) {
        text += std::string(" -lc") + family + registers;
    }
    return text;
}

void writeLinkRule(std::ostream& out, const Project& project, const Memory& memory) {
    const std::string name = project.name();
    const std::string outputFileName = project.outputFileName();
    out << name << ":\t$(FILES)\n";
    out << "\t$(CC) -o " << std::string_view(outputFileName).substr(0, outputFileName.find('.'))
        << " $(LFLAGS) @" << name << ".lk ";
    if (project.avrstudioIO()) {
        out << "-lstudio ";
    }
    const std::string additionalLib = project.additionalLib();
    if (!additionalLib.empty()) {
        out << "-l" << additionalLib << ' ';
    }
    const std::string libraries = librarySwitches(project, memory);
    if (libraries != "-lcavr") {
        out << libraries << ' ';
    }
    out << '\n';
    const std::string ecasb = project.ecasb();
    if (!ecasb.empty()) {
        out << '\t' << ecasb << '\n';
    }
}

void writeCompileRules(std::ostream& out, const Project& project) {
    const std::string homePath = project.homePath();
    for (const SourceFile& file : project.srcFiles()) {
        std::string fullPath = file.fullName();
        if (WinPath::isRelative(fullPath)) {
            fullPath.insert(0, homePath);
        }
        // A file that is missing has no short form; its full path still names it for make.
        const std::string sourcePath = WinPath::shortPathOrSelf(fullPath);
        const std::string object = objectName(file);
        out << object << ": \n";
        out << object << ":\t" << sourcePath << '\n';
        out << "\t$(CC) -c $(CFLAGS) " << sourcePath << '\n';
    }
}

} // namespace

std::ostream& writeMakefile(std::ostream& out, const Project& project) {
    writeLinkerFileList(project);
    const DeviceInfo& device = findDevice(project.part());
    const Memory memory = readMemory(project);

    out << "CC = tazuavr\n";
    writeCflags(out, project, device, memory);
    out << "ASFLAGS = $(CFLAGS) " << (memory.hexOnly ? "" : " -Wa-g ") << '\n';
    writeLflags(out, project, device, memory);

    out << "FILES = ";
    for (const SourceFile& file : project.srcFiles()) {
        out << objectName(file) << ' ';
    }
    out << "\n\n";

    writeLinkRule(out, project, memory);
    writeCompileRules(out, project);
    out << "\n.PHONY: clean\nclean:\n\tdel /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst "
           "*.hex\n";
    return out;
}

} // namespace avrtazu
