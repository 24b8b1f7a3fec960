#pragma once

#include <string_view>

// What the plug-in and the tazu toolchain rely on from each other: file names, output markers,
// the layout of an installation and the registry entries that name it. Both sides include this
// file, so it depends on nothing.
namespace avrtazu::toolchain_contract {

// The programs, in the bin folder of an installation.
inline constexpr std::string_view kCompilerDriver = "tazuavr.exe";
inline constexpr std::string_view kMakeTool = "tazumake.exe";
// The names the Makefile and build.bat call them by; echoed commands contain the first.
inline constexpr std::string_view kCompilerCommand = "tazuavr";
inline constexpr std::string_view kMakeCommand = "tazumake";

// Markers in the toolchain's output that count as an error or a warning.
inline constexpr std::string_view kErrorMarker = "!E";
inline constexpr std::string_view kWarningMarker = "!W";

// Files of a build in the build directory: project name + suffix.
inline constexpr std::string_view kDebugObjectSuffix = ".cof";
inline constexpr std::string_view kListingSuffix = ".lis";
inline constexpr std::string_view kMapSuffix = ".mp";
inline constexpr std::string_view kHexSuffix = ".hex";
inline constexpr std::string_view kObjectSuffix = ".o";
inline constexpr std::string_view kMakefileName = "Makefile";
inline constexpr std::string_view kBatchFileName = "build.bat";
inline constexpr std::string_view kCleanTarget = "clean";

// Addresses and sizes of memory, in the project's settings and in the compiler's switches, are
// at most this (4 MB, beyond the program memory of any AVR): arithmetic on them cannot
// overflow, and an output padded up to one stays a few megabytes.
inline constexpr long kMemoryValueLimit = 0x400000;

// Dependency files: output directory + "dep\" + source stem + ".o.d"; headers in them end in
// ".h" or ".H".
inline constexpr std::string_view kDependencyFolder = "dep";
inline constexpr std::string_view kDependencySuffix = ".o.d";
inline constexpr std::string_view kHeaderExtension = "h";
inline constexpr std::string_view kHeaderExtensionUpper = "H";

// What a compile ran, beside its dependency file: output directory + "dep\" + source stem +
// this suffix (see CompileRecord). The build turns the records into kCompileDatabaseName.
inline constexpr std::string_view kCompileRecordSuffix = ".o.cmd";
inline constexpr std::string_view kCompileDatabaseName = "compile_commands.json";

// Layout under the install root (which ends with a backslash).
inline constexpr std::string_view kBinFolder = "bin";
inline constexpr std::string_view kLibFolder = "lib";
inline constexpr std::string_view kHelpFile = "Help\\TAZUAVR\\wwhelp.htm";

// Registry, HKEY_LOCAL_MACHINE. First choice: the uninstaller's command, whose last absolute
// path lies in the install root.
inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE";
inline constexpr std::string_view kUninstallValue = "UninstallString";
// Fallback: the install directory itself, without a trailing backslash.
inline constexpr std::string_view kSoftwareKey = "Software";
inline constexpr std::string_view kInstallDirValue = "DAZAZ7EVE";
// Longer values are not read at all.
inline constexpr unsigned kRegistryValueLimit = 80;

} // namespace avrtazu::toolchain_contract
