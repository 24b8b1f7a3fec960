#pragma once

#include <string>

namespace avrtazu {

// Opens documents with the program the desktop associates with them, as ShellExecute does.
class Shell {
public:
    // ShellExecute's codes: above 32 is success.
    static constexpr int fileNotFound = 2;
    static constexpr int outOfResources = 8;
    static constexpr int noAssociation = 31;
    static constexpr int started = 42;

    // Starts the opener on the document (Windows path) and returns at once: fileNotFound when
    // the document does not exist, noAssociation when there is no opener, outOfResources when
    // it cannot be started, else started.
    static int open(const std::string& windowsPath);
    // The program that opens documents ("xdg-open" by default, looked for on PATH); the
    // document's Linux path is its one argument.
    static void setOpener(const std::string& program);
    static std::string opener();
};

} // namespace avrtazu
