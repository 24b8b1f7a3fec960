#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace avrtazu {

// One section of an ELF file.
struct ElfSection {
    std::string name;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    // The section's bytes, read only for note sections (they are small).
    std::string contents;
};

// The section table of a 32-bit little-endian ELF file, which is what the AVR linker writes.
struct ElfImage {
    std::uint16_t machine = 0;
    std::vector<ElfSection> sections;
    // Names of the symbols of the symbol table.
    std::set<std::string> symbols;

    const ElfSection* section(const std::string& name) const;
    bool hasSymbol(const std::string& name) const { return symbols.count(name) != 0; }

    // What a reader needs: a big program's symbols cost more to collect than its sections.
    enum Contents { kWithSymbols, kSectionsOnly };
    // Reads a file; none when it is no 32-bit little-endian ELF file or cannot be read.
    static std::optional<ElfImage> read(const std::string& path, Contents contents = kWithSymbols);
    static std::optional<ElfImage> parse(const std::string& bytes,
                                         Contents contents = kWithSymbols);
};

} // namespace avrtazu
