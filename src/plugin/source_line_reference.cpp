#include "plugin/source_line_reference.h"

#include <cstdlib>

namespace avrtazu {

std::optional<SourceLineReference> SourceLineReference::parse(const std::string& text) {
    const std::size_t blank = text.find(' ');
    const std::size_t open = text.find('(');
    const std::size_t close = text.find(')');
    if (blank == std::string::npos || open == std::string::npos || close == std::string::npos) {
        return std::nullopt;
    }
    if (open < blank || close < open) {
        return std::nullopt;
    }

    std::string name = text.substr(blank + 1, open - blank - 1);
    const std::size_t lastBackslash = name.rfind('\\');
    if (lastBackslash != std::string::npos) {
        name.erase(0, lastBackslash + 1);
    }
    if (name.empty()) {
        return std::nullopt;
    }

    // Read as atoi reads: leading blanks, a sign, then digits up to the first other character.
    const std::string number = text.substr(open + 1, close - open - 1);
    const long line = std::strtol(number.c_str(), nullptr, 10);
    return SourceLineReference{name, line};
}

} // namespace avrtazu
