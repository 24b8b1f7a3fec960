#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace avrtazu {

// The rule for the names of new and renamed project files, and the texts that refuse a name.
// Names travel into Makefiles and command lines, so only a plain portable set is allowed.
class FileNameRule {
public:
    static constexpr std::size_t kMaxLength = 64;

    static bool isAllowedCharacter(char c);
    // The first character outside the allowed set, if any.
    static std::optional<char> firstForbiddenCharacter(const std::string& name);
    // The refusal for a name that is too long or holds a forbidden character, in that order;
    // nothing for a name the rule accepts. Emptiness is the caller's first check.
    static std::optional<std::string> refusal(const std::string& name);

    static std::string emptyNameText();
    static std::string alreadyExistsText(const std::string& path);
    static std::string tooLongText();
    static std::string forbiddenCharacterText(char c);
};

} // namespace avrtazu
