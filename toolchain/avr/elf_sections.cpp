#include "avr/elf_sections.h"

#include "platform/drive_map.h"
#include "platform/file_system.h"

#include <cstring>
#include <elf.h>

namespace avrtazu {

namespace {

template <typename T> bool readAt(const std::string& bytes, std::size_t offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return true;
}

} // namespace

const ElfSection* ElfImage::section(const std::string& name) const {
    for (const ElfSection& candidate : sections) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

std::optional<ElfImage> ElfImage::read(const std::string& path, Contents contents) {
    const std::optional<std::string> bytes = FileSystem::readFile(DriveMap::toWindows(path));
    return bytes ? parse(*bytes, contents) : std::nullopt;
}

std::optional<ElfImage> ElfImage::parse(const std::string& bytes, Contents contents) {
    // The fields are read in the host's byte order, which is little-endian like the file.
    Elf32_Ehdr header;
    if (!readAt(bytes, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS32 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_shentsize != sizeof(Elf32_Shdr)) {
        return std::nullopt;
    }
    std::vector<Elf32_Shdr> headers(header.e_shnum);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        if (!readAt(bytes, header.e_shoff + i * sizeof(Elf32_Shdr), headers[i])) {
            return std::nullopt;
        }
    }
    if (header.e_shstrndx >= headers.size()) {
        return std::nullopt;
    }
    const Elf32_Shdr& names = headers[header.e_shstrndx];
    if (names.sh_offset > bytes.size() || bytes.size() - names.sh_offset < names.sh_size) {
        return std::nullopt;
    }
    const std::string nameTable = bytes.substr(names.sh_offset, names.sh_size);

    ElfImage image;
    image.machine = header.e_machine;
    for (const Elf32_Shdr& entry : headers) {
        ElfSection section;
        if (entry.sh_name < nameTable.size()) {
            section.name = nameTable.c_str() + entry.sh_name;
        }
        section.address = entry.sh_addr;
        section.size = entry.sh_size;
        section.type = entry.sh_type;
        section.flags = entry.sh_flags;
        if (entry.sh_type == SHT_NOTE && entry.sh_offset <= bytes.size() &&
            bytes.size() - entry.sh_offset >= entry.sh_size) {
            section.contents = bytes.substr(entry.sh_offset, entry.sh_size);
        }
        image.sections.push_back(section);
    }
    for (const Elf32_Shdr& table : headers) {
        if (contents != kWithSymbols || table.sh_type != SHT_SYMTAB ||
            table.sh_link >= headers.size()) {
            continue;
        }
        const Elf32_Shdr& strings = headers[table.sh_link];
        if (strings.sh_offset > bytes.size() ||
            bytes.size() - strings.sh_offset < strings.sh_size) {
            continue;
        }
        const std::string stringTable = bytes.substr(strings.sh_offset, strings.sh_size);
        for (std::size_t at = 0; at + sizeof(Elf32_Sym) <= table.sh_size; at += sizeof(Elf32_Sym)) {
            Elf32_Sym symbol;
            if (!readAt(bytes, table.sh_offset + at, symbol)) {
                break;
            }
            if (symbol.st_name != 0 && symbol.st_name < stringTable.size()) {
                image.symbols.insert(stringTable.c_str() + symbol.st_name);
            }
        }
    }
    return image;
}

} // namespace avrtazu
