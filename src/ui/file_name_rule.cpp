#include "ui/file_name_rule.h"

namespace avrtazu {

bool FileNameRule::isAllowedCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

std::optional<char> FileNameRule::firstForbiddenCharacter(const std::string& name) {
    for (const char c : name) {
        if (!isAllowedCharacter(c)) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<std::string> FileNameRule::refusal(const std::string& name) {
    if (name.size() > kMaxLength) {
        return tooLongText();
    }
    if (const auto forbidden = firstForbiddenCharacter(name)) {
        return forbiddenCharacterText(*forbidden);
    }
    return std::nullopt;
}

std::string FileNameRule::emptyNameText() {
    return "The new filename can not be empty";
}

std::string FileNameRule::alreadyExistsText(const std::string& path) {
    return "The file " + path + " already exists. I will not overwrite it";
}

std::string FileNameRule::tooLongText() {
    return "File name is too long. Only 64 characters is allowed";
}

std::string FileNameRule::forbiddenCharacterText(char c) {
    return std::string(1, c) + " is not an allowed character.\n"
                               "Make sure that all characters are in the set (A-Z,a-z,0-9,-,_,.)";
}

} // namespace avrtazu
