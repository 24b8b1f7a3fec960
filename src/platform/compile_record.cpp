#include "platform/compile_record.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

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
    // Plain reads: a build of a big project reads one of these per source.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(fd);
            if (got < 0) {
                return std::nullopt;
            }
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
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
