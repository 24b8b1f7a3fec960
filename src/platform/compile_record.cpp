#include "platform/compile_record.h"

#include "platform/file_system.h"

#include <fstream>

namespace avrtazu {

bool CompileRecord::write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << directory << '\0' << file << '\0';
    for (const std::string& argument : arguments) {
        out << argument << '\0';
    }
    return static_cast<bool>(out.flush());
}

std::optional<CompileRecord> CompileRecord::read(const std::string& path) {
    const std::optional<std::string> contents = FileSystem::readFile(path);
    if (!contents) {
        return std::nullopt;
    }
    const std::string& bytes = *contents;
    std::vector<std::string> texts;
    std::size_t start = 0;
    for (std::size_t end = bytes.find('\0'); end != std::string::npos;
         start = end + 1, end = bytes.find('\0', start)) {
        texts.push_back(bytes.substr(start, end - start));
    }
    // The folder, the file and at least the program; nothing after the last NUL.
    if (texts.size() < 3 || start != bytes.size()) {
        return std::nullopt;
    }
    CompileRecord record;
    record.directory = texts[0];
    record.file = texts[1];
    record.arguments.assign(texts.begin() + 2, texts.end());
    return record;
}

} // namespace avrtazu
