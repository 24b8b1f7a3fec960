#include "make/makefile_reader.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace avrtazu {

namespace {

// What a stream's >> skips between words.
constexpr const char* kWhitespace = " \t\n\v\f\r";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// The words between blanks; a stream per line would cost more than the whole split.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(kWhitespace, at)) != std::string::npos) {
        const std::size_t end = std::min(text.find_first_of(kWhitespace, at), text.size());
        result.push_back(text.substr(at, end - at));
        at = end;
    }
    return result;
}

// Everything from an unescaped "#" on is a comment.
std::string withoutComment(const std::string& line) {
    if (line.find('#') == std::string::npos) {
        return line;
    }
    std::string result;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '#') {
            result += '#';
            ++i;
        } else if (line[i] == '#') {
            break;
        } else {
            result += line[i];
        }
    }
    return result;
}

// A blank followed by a backslash at the end continues the line; a backslash that ends a
// Windows folder name ("C:\out\") does not.
bool continues(const std::string& line) {
    return line.size() >= 2 && line.back() == '\\' && isBlank(line[line.size() - 2]);
}

std::vector<std::string> logicalLines(const std::string& text, std::vector<int>& lineNumbers) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string physical;
    int number = 0;
    std::string pending;
    int pendingStart = 0;
    bool open = false;
    while (std::getline(stream, physical)) {
        ++number;
        if (!physical.empty() && physical.back() == '\r') {
            physical.pop_back();
        }
        if (!open) {
            pending.clear();
            pendingStart = number;
        }
        if (continues(physical)) {
            physical.pop_back();
            pending += physical;
            open = true;
            continue;
        }
        pending += open ? trimmed(physical) : physical;
        open = false;
        lines.push_back(pending);
        lineNumbers.push_back(pendingStart);
    }
    if (open) {
        lines.push_back(pending);
        lineNumbers.push_back(pendingStart);
    }
    return lines;
}

struct Assignment {
    std::string name;
    std::string op;
    std::string value;
};

// An assignment when a "=" comes before any rule colon (or the colon belongs to ":=").
bool parseAssignment(const std::string& line, Assignment& assignment) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    const std::size_t colon = MakefileReader::ruleColon(line);
    std::size_t nameEnd = equals;
    std::string op = "=";
    if (equals > 0 &&
        (line[equals - 1] == ':' || line[equals - 1] == '+' || line[equals - 1] == '?')) {
        op = std::string(1, line[equals - 1]) + "=";
        nameEnd = equals - 1;
        if (op == ":=" && nameEnd > 0 && line[nameEnd - 1] == ':') {
            --nameEnd;
        }
    }
    if (colon != std::string::npos && colon < nameEnd) {
        return false;
    }
    assignment.name = trimmed(line.substr(0, nameEnd));
    assignment.op = op;
    assignment.value = trimmed(line.substr(equals + 1));
    return !assignment.name.empty() && assignment.name.find_first_of(" \t") == std::string::npos;
}

// The ";" of an inline command begins a word: one inside a word is part of a file name
// (".;touch y.c"), and a name must never turn into a command.
std::size_t commandSemicolon(const std::string& rest) {
    for (std::size_t i = rest.find(';'); i != std::string::npos; i = rest.find(';', i + 1)) {
        if (i == 0 || isBlank(rest[i - 1])) {
            return i;
        }
    }
    return std::string::npos;
}

std::string expanded(const Makefile& makefile, const std::string& text, int line) {
    try {
        return makefile.expand(text);
    } catch (const std::runtime_error& error) {
        throw MakefileError(line, error.what());
    }
}

} // namespace

std::size_t MakefileReader::ruleColon(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ':') {
            continue;
        }
        const bool driveLetter = i >= 1 && std::isalpha(static_cast<unsigned char>(line[i - 1])) &&
                                 (i == 1 || isBlank(line[i - 2]) || line[i - 2] == '=') &&
                                 i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '/');
        if (!driveLetter) {
            return i;
        }
    }
    return std::string::npos;
}

void MakefileReader::read(const std::string& text, Makefile& makefile) {
    std::vector<int> lineNumbers;
    const std::vector<std::string> lines = logicalLines(text, lineNumbers);
    std::vector<std::string> currentTargets;
    bool currentHasCommands = false;

    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& raw = lines[index];
        const int number = lineNumbers[index];
        if (!raw.empty() && raw.front() == '\t') {
            const std::string command = trimmed(raw);
            if (command.empty() || command.front() == '#') {
                continue;
            }
            if (currentTargets.empty()) {
                throw MakefileError(number, "recipe commences before first target");
            }
            if (!currentHasCommands) {
                makefile.resetCommands(currentTargets);
                currentHasCommands = true;
            }
            makefile.addCommand(currentTargets, command);
            continue;
        }
        const std::string line = trimmed(withoutComment(raw));
        if (line.empty()) {
            continue;
        }
        Assignment assignment;
        if (parseAssignment(line, assignment)) {
            currentTargets.clear();
            if (assignment.op == ":=") {
                makefile.setVariable(assignment.name, expanded(makefile, assignment.value, number));
            } else if (assignment.op == "+=") {
                const std::string old = makefile.variable(assignment.name);
                makefile.setVariable(assignment.name,
                                     old.empty() ? assignment.value : old + " " + assignment.value);
            } else if (assignment.op == "?=") {
                if (!makefile.hasVariable(assignment.name)) {
                    makefile.setVariable(assignment.name, assignment.value);
                }
            } else {
                makefile.setVariable(assignment.name, assignment.value);
            }
            continue;
        }
        const std::size_t colon = ruleColon(line);
        if (colon == std::string::npos) {
            throw MakefileError(number, "missing separator");
        }
        std::string rest = line.substr(colon + 1);
        if (!rest.empty() && rest.front() == ':') {
            rest.erase(0, 1);
        }
        std::string inlineCommand;
        const std::size_t semicolon = commandSemicolon(rest);
        if (semicolon != std::string::npos) {
            inlineCommand = trimmed(rest.substr(semicolon + 1));
            rest = rest.substr(0, semicolon);
        }
        const std::vector<std::string> targets =
            words(expanded(makefile, line.substr(0, colon), number));
        const std::vector<std::string> prerequisites = words(expanded(makefile, rest, number));
        if (targets.empty()) {
            throw MakefileError(number, "missing target");
        }
        makefile.addRuleLine(targets, prerequisites, number);
        currentTargets = targets;
        currentHasCommands = false;
        if (!inlineCommand.empty()) {
            makefile.resetCommands(currentTargets);
            currentHasCommands = true;
            makefile.addCommand(currentTargets, inlineCommand);
        }
    }
}

} // namespace avrtazu
