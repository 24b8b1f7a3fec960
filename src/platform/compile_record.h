#pragma once

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// What one compile of the toolchain ran: the folder it ran in, the source file and the whole
// command line, program first, all as Linux paths. The compiler driver keeps one beside each
// object's dependency file; the build reads them to tell editors how each source is compiled.
// Stored as its texts, each ended by a NUL byte, so no character of a path needs escaping.
struct CompileRecord {
    std::string directory;
    std::string file;
    std::vector<std::string> arguments;

    // Writes the record to a Linux path; false when it cannot be written.
    bool write(const std::string& path) const;
    // Reads the record from a Windows path, as the build names it; nullopt for a file that is
    // missing or holds no whole record.
    static std::optional<CompileRecord> read(const std::string& path);
};

} // namespace avrtazu
