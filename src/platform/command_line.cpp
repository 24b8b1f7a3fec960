#include "platform/command_line.h"

namespace avrtazu {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t skipBlanks(const std::string& text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    return at;
}

// The program word: quotes group, backslashes are plain characters.
std::string programWord(const std::string& text, std::size_t& at) {
    std::string word;
    bool quoted = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && isBlank(c)) {
            break;
        } else {
            word.push_back(c);
        }
    }
    return word;
}

std::string argumentWord(const std::string& text, std::size_t& at) {
    std::string word;
    bool quoted = false;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\\') {
            std::size_t count = 0;
            while (at < text.size() && text[at] == '\\') {
                ++count;
                ++at;
            }
            if (at < text.size() && text[at] == '"') {
                word.append(count / 2, '\\');
                if (count % 2 == 1) {
                    word.push_back('"');
                    ++at;
                }
                // An even count leaves the quote to the next round.
            } else {
                word.append(count, '\\');
            }
        } else if (c == '"') {
            if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
                word.push_back('"');
                at += 2;
            } else {
                quoted = !quoted;
                ++at;
            }
        } else if (!quoted && isBlank(c)) {
            break;
        } else {
            word.push_back(c);
            ++at;
        }
    }
    return word;
}

} // namespace

std::vector<std::string> CommandLine::split(const std::string& commandLine) {
    std::vector<std::string> words;
    std::size_t at = skipBlanks(commandLine, 0);
    if (at >= commandLine.size()) {
        return words;
    }
    words.push_back(programWord(commandLine, at));
    for (at = skipBlanks(commandLine, at); at < commandLine.size();
         at = skipBlanks(commandLine, at)) {
        words.push_back(argumentWord(commandLine, at));
    }
    return words;
}

std::string CommandLine::quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\r\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    // Backslashes before the closing quote must not escape it.
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

std::string CommandLine::join(const std::vector<std::string>& words) {
    std::string line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            line.push_back(' ');
        }
        // The program word knows no escapes, so it is only put in quotes.
        if (i == 0 && (words[0].empty() || words[0].find_first_of(" \t") != std::string::npos)) {
            line += "\"" + words[0] + "\"";
        } else if (i == 0) {
            line += words[0];
        } else {
            line += quote(words[i]);
        }
    }
    return line;
}

} // namespace avrtazu
