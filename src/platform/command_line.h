#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// Windows command lines: one text that holds the program and its arguments.
class CommandLine {
public:
    // Splits a command line as CreateProcess and the C runtime do. The first word, the
    // program, ends at the next blank unless quoted (no backslash escapes there, so a quoted
    // "C:\dir\" stays whole). Arguments follow the runtime's rules: blanks separate outside
    // quotes; 2n backslashes before a quote give n backslashes and the quote opens or closes;
    // 2n+1 give n backslashes and a literal quote; "" inside quotes is a literal quote; other
    // backslashes are literal.
    static std::vector<std::string> split(const std::string& commandLine);
    // Quotes one argument, when needed, so that split() gives it back unchanged.
    static std::string quote(const std::string& argument);
    // The words joined into one command line, each quoted as needed.
    static std::string join(const std::vector<std::string>& words);
};

} // namespace avrtazu
