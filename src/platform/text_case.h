#pragma once

#include <string>
#include <string_view>

namespace avrtazu {

// Comparisons that ignore the case of ASCII letters, as Windows file names, registry keys and
// the system's device and setting names do. Other bytes compare as they are.
class TextCase {
public:
    static char lower(char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    static std::string lower(std::string_view text);
    static bool equalIgnoringCase(std::string_view a, std::string_view b);
};

} // namespace avrtazu
