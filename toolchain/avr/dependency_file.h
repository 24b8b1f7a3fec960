#pragma once

#include <functional>
#include <string>

namespace avrtazu {

// Rewrites the dependency list that avr-gcc writes ("main.o: /src/main.c /src/uart.h") into
// the toolchain's form: the same make words, each file a Windows path, files inside the
// output folder relative to it, words separated by blanks and line feeds only (no CR).
class DependencyFile {
public:
    // Turns a Linux path into a Windows path.
    using PathMapper = std::function<std::string(const std::string&)>;

    // gccText: the list as avr-gcc wrote it. outputFolder: the Linux folder the compiler ran
    // in, against which relative names are resolved.
    static std::string convert(const std::string& gccText, const std::string& outputFolder,
                               const PathMapper& toWindows);
};

} // namespace avrtazu
