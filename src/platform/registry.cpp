#include "platform/registry.h"

#include "platform/file_system.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace avrtazu {

namespace {

std::string& overrideFile() {
    static std::string path;
    return path;
}

std::string& defaultFile() {
    static std::string path;
    return path;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Key names as compared: lower case, the short root names spelled out, no trailing backslash.
std::string normalKey(const std::string& key) {
    std::string normal = TextCase::lower(trim(key));
    while (!normal.empty() && normal.back() == '\\') {
        normal.pop_back();
    }
    static const std::pair<const char*, const char*> roots[] = {
        {"hklm", "hkey_local_machine"},  {"hkcu", "hkey_current_user"},
        {"hkcr", "hkey_classes_root"},   {"hku", "hkey_users"},
        {"hkcc", "hkey_current_config"},
    };
    const std::string root = normal.substr(0, normal.find('\\'));
    for (const auto& [shortName, longName] : roots) {
        if (root == shortName) {
            return longName + normal.substr(root.size());
        }
    }
    return normal;
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The registry editor writes UTF-16 with a byte-order mark; the rest of the system wants 8 bits.
std::string decode(const std::string& raw) {
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
        static_cast<unsigned char>(raw[1]) == 0xFE) {
        std::string out;
        for (std::size_t i = 2; i + 1 < raw.size(); i += 2) {
            unsigned code = static_cast<unsigned char>(raw[i]) |
                            (static_cast<unsigned>(static_cast<unsigned char>(raw[i + 1])) << 8);
            if (code >= 0xD800 && code < 0xDC00 && i + 3 < raw.size()) {
                const unsigned low =
                    static_cast<unsigned char>(raw[i + 2]) |
                    (static_cast<unsigned>(static_cast<unsigned char>(raw[i + 3])) << 8);
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
            appendUtf8(out, code);
        }
        return out;
    }
    if (raw.rfind("\xEF\xBB\xBF", 0) == 0) {
        return raw.substr(3);
    }
    return raw;
}

// A quoted text starting at text[at] == '"', with \\ and \" escapes; at ends after the quote.
std::string quoted(const std::string& text, std::size_t& at) {
    std::string result;
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\\' && at + 1 < text.size() && (text[at + 1] == '\\' || text[at + 1] == '"')) {
            result.push_back(text[++at]);
        } else if (c == '"') {
            ++at;
            break;
        } else {
            result.push_back(c);
        }
    }
    return result;
}

struct Hive {
    // Key (normal form) -> value name (lower case) -> value.
    std::map<std::string, std::map<std::string, std::string>> keys;
};

std::optional<Hive> parse(const std::string& raw) {
    std::istringstream lines(decode(raw));
    std::string line;
    bool headerSeen = false;
    Hive hive;
    std::string current;
    bool inKey = false;
    std::string pending;
    while (std::getline(lines, line)) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        // Long binary values go on over several lines ending in a backslash.
        const std::string trimmed = trim(line);
        if (!pending.empty() ||
            (!trimmed.empty() && trimmed.back() == '\\' && trimmed.front() != '[' &&
             trimmed.find("=\"") == std::string::npos)) {
            pending += trimmed;
            if (!pending.empty() && pending.back() == '\\') {
                pending.pop_back();
                continue;
            }
            line = pending;
            pending.clear();
        } else {
            line = trimmed;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!headerSeen) {
            if (line != "Windows Registry Editor Version 5.00" && line != "REGEDIT4") {
                return std::nullopt;
            }
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.rfind(']');
            std::string name =
                line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            if (!name.empty() && name.front() == '-') {
                const std::string removed = normalKey(name.substr(1));
                for (auto it = hive.keys.begin(); it != hive.keys.end();) {
                    const bool under =
                        it->first == removed || it->first.rfind(removed + "\\", 0) == 0;
                    it = under ? hive.keys.erase(it) : std::next(it);
                }
                inKey = false;
                continue;
            }
            current = normalKey(name);
            hive.keys[current];
            inKey = true;
            continue;
        }
        if (!inKey) {
            continue;
        }
        std::size_t at = 0;
        std::string valueName;
        if (line.front() == '@') {
            at = 1;
        } else if (line.front() == '"') {
            valueName = TextCase::lower(quoted(line, at));
        } else {
            continue;
        }
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        if (at >= line.size() || line[at] != '=') {
            continue;
        }
        ++at;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        auto& values = hive.keys[current];
        if (at < line.size() && line[at] == '"') {
            values[valueName] = quoted(line, at);
        } else if (line.substr(at) == "-") {
            values.erase(valueName);
        } else {
            values[valueName] = line.substr(at);
        }
    }
    if (!headerSeen) {
        return std::nullopt;
    }
    return hive;
}

RegistryValue lookUp(const Hive& hive, const std::string& key, const std::string& valueName) {
    const std::string name = normalKey(key);
    const auto found = hive.keys.find(name);
    if (found == hive.keys.end()) {
        // A key that only has subkeys in the file exists all the same, without values.
        const auto next = hive.keys.lower_bound(name + "\\");
        const bool hasSubkeys = next != hive.keys.end() && next->first.rfind(name + "\\", 0) == 0;
        return {hasSubkeys ? RegistryStatus::ValueNotFound : RegistryStatus::KeyNotFound, {}};
    }
    const auto value = found->second.find(TextCase::lower(valueName));
    if (value == found->second.end()) {
        return {RegistryStatus::ValueNotFound, {}};
    }
    return {RegistryStatus::Ok, value->second};
}

std::optional<std::string> readRegistryFile(RegistryStatus& failure) {
    const std::string path = Registry::file();
    if (path.empty()) {
        failure = RegistryStatus::FileNotFound;
        return std::nullopt;
    }
    auto text = FileSystem::readFile(path);
    if (!text) {
        failure = RegistryStatus::FileNotFound;
    }
    return text;
}

} // namespace

void Registry::setDefaultFile(const std::string& linuxPath) {
    defaultFile() = linuxPath;
}

void Registry::setFile(const std::string& linuxPath) {
    overrideFile() = linuxPath;
}

std::string Registry::file() {
    if (!overrideFile().empty()) {
        return overrideFile();
    }
    const char* configured = std::getenv("TAZU_REGISTRY");
    if (configured != nullptr && *configured != '\0') {
        return configured;
    }
    return defaultFile();
}

RegistryValue Registry::readString(const std::string& key, const std::string& valueName) {
    RegistryStatus failure = RegistryStatus::FileNotFound;
    const auto text = readRegistryFile(failure);
    if (!text) {
        return {failure, {}};
    }
    return readStringFromText(*text, key, valueName);
}

bool Registry::keyExists(const std::string& key) {
    const auto status = readString(key, {}).status;
    return status == RegistryStatus::Ok || status == RegistryStatus::ValueNotFound;
}

RegistryValue Registry::readStringFromText(const std::string& regText, const std::string& key,
                                           const std::string& valueName) {
    const auto hive = parse(regText);
    if (!hive) {
        return {RegistryStatus::InvalidFile, {}};
    }
    return lookUp(*hive, key, valueName);
}

} // namespace avrtazu
