#pragma once

#include <string>

namespace avrtazu {

class Project;

// compile_commands.json in the build directory, the file editors (clangd) read to compile a
// source as the build does: one entry for each source of the project that the toolchain has
// compiled, with the folder, the file and the command line it ran, as its records keep them.
class CompileDatabase {
public:
    // Writes the file for the project's sources from the records in buildDirectory (a Windows
    // path with its trailing backslash); the number of entries written, 0 when there were no
    // records (no file is written then), -1 when the file could not be written.
    static int write(const Project& project, const std::string& buildDirectory);
};

} // namespace avrtazu
