#include "avr/gcc_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace avrtazu {

namespace {

std::string hexNumber(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

std::string baseName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.size() > 2 && name.compare(name.size() - 2, 2, ".o") == 0) {
        name.resize(name.size() - 2);
    }
    return name;
}

std::string extensionOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool isAssemblerSource(const std::string& path) {
    const std::string extension = extensionOf(path);
    return extension == "s" || extension == "asm" || extension == "sx";
}

bool isCppSource(const std::string& path) {
    const std::string extension = extensionOf(path);
    return extension == "cpp" || extension == "cc" || extension == "cxx";
}

void append(std::vector<std::string>& to, std::initializer_list<std::string> words) {
    to.insert(to.end(), words.begin(), words.end());
}

} // namespace

McuChoice GccCommand::chooseMcu(const TazuOptions& options,
                                const std::function<bool(const std::string&)>& supports) {
    McuChoice choice;
    const std::string device =
        options.device.empty() ? std::string() : DeviceTable::mcuForDefine(options.device);
    if (!device.empty() && supports(device)) {
        choice.mcu = device;
        return choice;
    }
    const std::string architecture = DeviceTable::architecture(options.core, options.extendedCalls,
                                                               options.programEnd.value_or(0));
    choice.mcu = DeviceTable::representative(architecture);
    if (!device.empty()) {
        choice.fallbackNote = "avr-gcc does not know the device " + options.device +
                              "; building for " + choice.mcu + " (architecture " + architecture +
                              ")";
    }
    return choice;
}

std::vector<std::string> GccCommand::compile(const TazuOptions& options, const std::string& mcu,
                                             const CompileJob& job, const PathMapper& mapPath) {
    std::vector<std::string> args{
        "-mmcu=" + mcu, "-c", "-Os", "-fdiagnostics-color=never", "-fno-diagnostics-show-caret",
        "-Wall"};
    const bool assembler = isAssemblerSource(job.source);
    if (assembler) {
        append(args, {"-x", "assembler-with-cpp"});
        for (const std::string& folder : options.asmIncludeFolders) {
            append(args, {"-I" + mapPath(folder), "-Wa,-I" + mapPath(folder)});
        }
        if (options.asmDebugInfo) {
            args.push_back("-Wa,--gdwarf-2");
        }
    } else if (isCppSource(job.source)) {
        args.push_back(options.extensions ? "-std=gnu++11" : "-std=c++11");
    } else {
        args.push_back(options.extensions ? "-std=gnu99" : "-std=c99");
    }
    if (options.strictness >= 1) {
        args.push_back("-Wpedantic");
    }
    if (options.strictness >= 2) {
        append(args, {"-Wextra", "-Wstrict-prototypes"});
    }
    // avr-gcc would write STABS for a bare -g; debuggers and simulators want DWARF.
    if (options.debugInfo) {
        args.push_back("-gdwarf-2");
    }
    if (!options.intSizedEnums) {
        args.push_back("-fshort-enums");
    }
    if (options.reserveR20ToR23) {
        append(args, {"-ffixed-r20", "-ffixed-r21", "-ffixed-r22", "-ffixed-r23"});
    }
    if (options.stringsInFlash) {
        args.push_back("-D__TAZU_STR_IN_FLASH=1");
    }
    for (const std::string& folder : options.includeFolders) {
        args.push_back("-I" + mapPath(folder));
    }
    for (const std::string& definition : options.defines) {
        args.push_back("-D" + definition);
    }
    for (const std::string& name : options.undefines) {
        args.push_back("-U" + name);
    }
    std::string objectName = job.object.substr(job.object.find_last_of('/') + 1);
    append(args, {"-MMD", "-MF", job.dependencyFile, "-MT", objectName,
                  std::string("-Wa,--defsym=") + mcuSymbolPrefix + mcu + "=0"});
    if (options.listing && !job.listingFile.empty()) {
        args.push_back("-Wa,-adhlns=" + job.listingFile);
    }
    append(args, {"-o", job.object, job.source});
    return args;
}

std::vector<std::string> GccCommand::link(const TazuOptions& options, const std::string& mcu,
                                          const LinkJob& job, bool withPrintf) {
    std::vector<std::string> args{"-mmcu=" + mcu, "-fdiagnostics-color=never", "-o", job.elf};
    if (!job.startupObject.empty()) {
        append(args, {"-nostartfiles", job.startupObject});
    }
    args.insert(args.end(), job.inputs.begin(), job.inputs.end());
    args.insert(args.end(), job.extraObjects.begin(), job.extraObjects.end());
    for (const std::string& folder : job.libraryFolders) {
        args.push_back("-L" + folder);
    }
    append(args, {"-Wl,-Map=" + job.map, "-Wl,--cref"});
    // The memory switches decide what fits, and the overflow report names their areas, so the
    // linker's own regions must never be the smaller ones.
    append(args, {"-Wl,--defsym=__TEXT_REGION_LENGTH__=0x400000",
                  "-Wl,--defsym=__EEPROM_REGION_LENGTH__=0x10000"});
    if (options.dataArea) {
        append(args, {"-Wl,--defsym=__DATA_REGION_ORIGIN__=" +
                          hexNumber(0x800000 + options.dataArea->start),
                      "-Wl,--defsym=__DATA_REGION_LENGTH__=" +
                          hexNumber(0x10000 - options.dataArea->start)});
    }
    if (options.vectorArea) {
        args.push_back("-Wl,--section-start=.text=" + hexNumber(options.vectorArea->start));
    }
    if (options.dataArea) {
        args.push_back("-Wl,--section-start=.data=" +
                       hexNumber(0x800000 + options.dataArea->start));
    }
    if (options.eeprom && options.eeprom->start != 0) {
        args.push_back("-Wl,--section-start=.eeprom=" +
                       hexNumber(0x810000 + options.eeprom->start));
    }
    if (options.ramEnd) {
        args.push_back("-Wl,--defsym=__stack=" + hexNumber(*options.ramEnd));
    }
    if (options.wrapAround) {
        append(args, {"-Wl,--relax", "-Wl,--pmem-wrap-around=8k"});
    }
    switch (withPrintf ? options.printf : PrintfKind::Long) {
    case PrintfKind::Integer:
        append(args, {"-Wl,-u,vfprintf", "-lprintf_min"});
        break;
    case PrintfKind::Float:
        append(args, {"-Wl,-u,vfprintf", "-lprintf_flt"});
        break;
    case PrintfKind::Long:
        break;
    }
    for (const std::string& library : options.libraries) {
        args.push_back("-l" + library);
    }
    args.push_back("-lm");
    return args;
}

std::vector<std::string> GccCommand::hex(const TazuOptions& options, const std::string& elf,
                                         const std::string& hexFile) {
    std::vector<std::string> args{"-O",    "ihex", "-R",    ".eeprom", "-R",
                                  ".fuse", "-R",   ".lock", "-R",      ".signature"};
    if (options.fillByte) {
        append(args, {"--gap-fill", hexNumber(*options.fillByte)});
        std::optional<long> end = options.programEnd;
        if (options.codeArea && options.codeArea->end) {
            end = options.codeArea->end;
        }
        if (end) {
            append(args, {"--pad-to", hexNumber(*end)});
        }
    }
    append(args, {elf, hexFile});
    return args;
}

std::vector<std::string> GccCommand::eepromHex(const std::string& elf, const std::string& hexFile) {
    return {"-O",
            "ihex",
            "-j",
            ".eeprom",
            "--set-section-flags=.eeprom=alloc,load",
            "--change-section-lma",
            ".eeprom=0",
            "--no-change-warnings",
            elf,
            hexFile};
}

std::vector<std::string> GccCommand::listing(const std::string& elf) {
    return {"-h", "-S", elf};
}

bool GccCommand::isStandardStartup(const std::string& name) {
    const std::string base = baseName(name);
    return base == "crtatmega" || base == "crtavr" || base == "crtboot" || base == "crtboot8k" ||
           base == "crtboot128" || base == "crtboot256" || base == "crtboot512" ||
           isExternalRamStartup(name);
}

bool GccCommand::isExternalRamStartup(const std::string& name) {
    const std::string base = baseName(name);
    return base == "crtatmegaram" || base == "crtnewram" || base == "crtavrram";
}

} // namespace avrtazu
