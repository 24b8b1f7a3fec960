#pragma once

#include <string>
#include <type_traits>

namespace avrtazu {

// How a setting is handed to a setter: text by reference, bool and int by value.
template <typename T>
using SettingArg = std::conditional_t<std::is_same_v<T, std::string>, const std::string&, T>;

} // namespace avrtazu

// Every single-valued setting of a configuration, in declaration order, described once.
// The name is the configuration's key and is set by its constructor, so it is not listed;
// the four text lists follow below, and the per-file options map is written by hand.
//
// X(type, getter, setter, default, project error when the setter has no active configuration,
//   project setter: Forward = passes the value on unchanged, Own = written by Project itself)
//
// The project's read error is regular ("Project::<getter>(): Invalid active configuration");
// the setter errors are not, so each is spelled out as the system writes it.
// clang-format off
#define AVRTAZU_CONFIGURATION_SETTINGS(X) \
    X(std::string, part, setPart, "Custom", "Project::setPart(): Invalid Configuration", Forward) \
    X(bool, hex, setHex, false, "Project::setHex: Invalid Configuration", Forward) \
    X(bool, list, setList, false, "Project::setList: Invalid Configuration", Forward) \
    X(bool, map, setMap, false, "Project::setMap: Invalid Configuration", Forward) \
    X(std::string, outputFileName, setOutputFileName, "", "Project::setOutputFileName(): Invalid Configuration", Forward) \
    X(std::string, outputDir, setOutputDirectory, "", "Project::setOutputDirectory(): Invalid Configuration", Own) \
    X(bool, isDirty, setDirty, false, "Project::setDirty(): Invalid Configuration", Forward) \
    X(std::string, optionsForAll, setOptionsForAll, "", "Project::setOptionsForAll(): Invalid Configuration", Forward) \
    X(std::string, linkerOptions, setLinkerOptions, "", "Project::setLinkerOptions(): Invalid Configuration", Forward) \
    X(int, optionTabIndex, setOptionTabIndex, 0, "Project::setOptionTabIndex Invalid Configuration", Forward) \
    X(bool, extension, setExtension, true, "Project::setExtension: Invalid Configuration", Forward) \
    X(bool, strictCheckings, setStrictCheckings, false, "Project::setStrictCheckings: Invalid Configuration", Forward) \
    X(bool, intSizeEnum, setIntSizeEnum, false, "Project::setIntSizeEnum: Invalid Configuration", Forward) \
    X(std::string, macroDefinitions, setMacroDefinitions, "", "Project::setMacroDefinitions: Invalid Configuration", Forward) \
    X(std::string, undefines, setUndefines, "", "Project::setUndefines: Invalid Configuration", Forward) \
    X(std::string, outputFormat, setOutputFormat, "HEX/COFF", "Project::setOutputFormat: Invalid Configuration", Forward) \
    X(bool, codeCompression, setCodeCompression, false, "Project::setCodeCompression: Invalid Configuration", Forward) \
    X(bool, globalOptimizations, setGlobalOptimizations, false, "Project::setGlobalOptimizations: Invalid Configuration", Forward) \
    X(std::string, ecasb, setEcasb, "", "Project::setEcasb: Invalid Configuration", Forward) \
    X(std::string, programMemory, setProgramMemory, "1024", "Project::setProgramMemory: Invalid Configuration", Forward) \
    X(std::string, additionalLib, setAdditionalLib, "", "Project::setAdditionalLib: Invalid Configuration", Forward) \
    X(int, programType, setProgramType, 0, "Project::setProgramType: Invalid Configuration", Forward) \
    X(bool, avrstudioIO, setAvrstudioIO, false, "Project::setAvrstudioIO: Invalid Configuration", Forward) \
    X(std::string, bootSize, setBootSize, "None", "Project::setBootSize: Invalid Configuration", Forward) \
    X(std::string, fpslicMemory, setFpslicMemory, "", "Project::setFpslicMemory: Invalid Configuration", Forward) \
    X(std::string, dataAddressByte, setDataAddressByte, "0x60", "Project::setDataAddressByte: Invalid Configuration", Forward) \
    X(std::string, dataMemory, setDataMemory, "64", "Project::setDataMemory: Invalid Configuration", Forward) \
    X(bool, doNotUseR20ToR23, setDoNotUseR20ToR23, false, "Project::setDoNotUseR20ToR23: Invalid Configuration", Forward) \
    X(std::string, eeprom, setEeprom, "128", "Project::setEeprom: Invalid Configuration", Forward) \
    X(bool, enhancedCore, setEnhancedCore, false, "Project::setEnhancedCore: Invalid Configuration", Forward) \
    X(bool, ioRegsOffsetInternalSram, setIORegsOffsetInternalSram, true, "Project::setIORegsOffsetInternalSram: Invalid Configuration", Forward) \
    X(std::string, nonDefaultStartup, setNonDefaultStartup, "", "Project::setNonDefaultStartup: Invalid Configuration", Forward) \
    X(std::string, otherOptions, setOtherOptions, "", "Project::setOtherOptions: Invalid Configuration", Forward) \
    X(int, printfVersion, setPrintfVersion, 0, "Project::setPrintfVersion: Invalid Configuration", Forward) \
    X(std::string, returnStackSize, setReturnStackSize, "16", "Project::setReturnStackSize: Invalid Configuration", Forward) \
    X(std::string, sram, setSram, "Internal SRAM", "Project::setSram: Invalid Configuration", Forward) \
    X(bool, stringsInFlashOnly, setStringsInFlashOnly, false, "Project::setStringsInFlashOnly: Invalid Configuration", Forward) \
    X(std::string, textAddressWord, setTextAddressWord, "0x2", "Project::textAddressWord: Invalid Configuration", Forward) \
    X(std::string, unusedRomFillBytes, setUnusedRomFillBytes, "", "Project::unusedRomFillBytes: Invalid Configuration", Forward) \
    X(bool, useLongCallJmp, setUseLongCallJmp, false, "Project::setUseLongCallJmp: Invalid Configuration", Forward) \
    X(bool, useRampzElpm, setUseRampzElpm, false, "Project::setUseRampzElpm: Invalid Configuration", Forward)

// The four text lists. Adding the empty text is refused with the first message; the project's
// clear error is the second (the add error is regular: "Project::<add>(): Invalid Configuration").
//
// X(getter, add, clear, message for an empty text, project error of clear)
#define AVRTAZU_CONFIGURATION_LISTS(X) \
    X(includes, addIncludeDirectory, clearIncludes, "Project::addIncludeDirectory(): Will not add \"\" include directories", "Project::clearIncludes(): Invalid Configuration") \
    X(asmincludes, addAsmIncludeDirectory, clearAsmIncludes, "Project::addAsmIncludeDirectory(): Will not add \"\" include directories", "Project::clearAsmIncludes(): Invalid Configuration") \
    X(libdirs, addLibraryDirectory, clearLibdirs, "Project::addLibraryDirectory(): Will not add \"\"library directories", "Project::clearLibDirs(): Invalid Configuration") \
    X(libs, addLibrary, clearLibs, "Project::addLibrary(): Will not add \"\" library", "Project::clearLibs(): Invalid Configuration")
// clang-format on
