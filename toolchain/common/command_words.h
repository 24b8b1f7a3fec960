#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// Splits a Makefile command or a list file into words: blanks, tabs and line ends separate
// words, double quotes group blanks into a word and are dropped. Backslashes are ordinary
// characters, so a quoted folder such as "C:\inc\" keeps its last backslash and does not
// swallow the rest of the line, as the Windows runtime's rules would.
class CommandWords {
public:
    static std::vector<std::string> split(const std::string& line);
};

} // namespace avrtazu
