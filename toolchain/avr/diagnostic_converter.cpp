#include "avr/diagnostic_converter.h"

#include <regex>
#include <sstream>

namespace avrtazu {

namespace {

// The tool output reader counts a line as a warning when it holds the word "warning", so an
// error's own text must not carry that word in lower case.
std::string errorText(std::string message) {
    for (std::size_t at = message.find("warning"); at != std::string::npos;
         at = message.find("warning", at + 1)) {
        message[at] = 'W';
    }
    return message;
}

std::string errorLine(const std::string& where, const std::string& message) {
    return "!E " + (where.empty() ? std::string() : where + ": ") + errorText(message);
}

std::string warningLine(const std::string& where, const std::string& message) {
    return "!W " + (where.empty() ? std::string() : where + ":[warning] ") + message;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

DiagnosticConverter::DiagnosticConverter(PathMapper mapPath) : mapPath_(std::move(mapPath)) {}

std::string DiagnosticConverter::location(const std::string& file, const std::string& line) const {
    // "<command-line>" and "<built-in>" are no files to jump to.
    if (file.empty() || file.front() == '<' || line == "0") {
        return {};
    }
    return mapPath_(file) + "(" + line + ")";
}

std::optional<std::string> DiagnosticConverter::convert(const std::string& line) const {
    // file:line[:column]: kind: message, from the compiler and the assembler.
    static const std::regex located(
        R"(^(\S.*?):(\d+):(?:\d+:)? (fatal error|error|warning|note|Error|Warning): (.*)$)");
    // file:line: message, from the linker when it knows the source line.
    static const std::regex linkerLocated(R"(^(\S.*?):(\d+): (.*)$)");
    // object:(section+offset): message, from the linker without a source line.
    static const std::regex linkerSection(R"(^(\S.*?):\(\.[^)]*\): (.*)$)");
    // program: [kind:] message, from the driver, the compiler proper and the linker.
    static const std::regex tool(
        R"(^(?:\S*/)?(avr-gcc|avr-g\+\+|avr-ld|ld|cc1|cc1plus|collect2|avr-as|as|lto1|lto-wrapper)(?:\.exe)?: (?:(fatal error|error|warning): )?(.*)$)");

    // Context lines: "file: In function 'f':", "In file included from file:3:0,", "from file:4:".
    static const std::regex context(R"(^(\S.*?): ((?:In |At ).*:)$)");
    static const std::regex included(
        R"(^(In file included from|\s+from) (\S.*?):(\d+)(?::\d+)?([,:])$)");

    std::smatch match;
    if (std::regex_match(line, match, context)) {
        return mapPath_(match[1].str()) + ": " + match[2].str();
    }
    if (std::regex_match(line, match, included)) {
        return match[1].str() + " " + mapPath_(match[2].str()) + "(" + match[3].str() + ")" +
               match[4].str();
    }
    if (std::regex_match(line, match, located)) {
        const std::string where = location(match[1].str(), match[2].str());
        const std::string kind = match[3].str();
        const std::string message = match[4].str();
        if (kind == "note") {
            return (where.empty() ? std::string() : where + ": ") + "note: " + message;
        }
        if (kind == "warning" || kind == "Warning") {
            return warningLine(where, message);
        }
        return errorLine(where, message);
    }
    if (std::regex_match(line, match, tool)) {
        const std::string program = match[1].str();
        const std::string kind = match[2].str();
        const std::string message = match[3].str();
        if (program == "collect2") {
            return std::nullopt;
        }
        if (kind == "warning" || (kind.empty() && startsWith(message, "warning: "))) {
            return warningLine({}, kind.empty() ? message.substr(9) : message);
        }
        // The linker explains an overflow on several lines; the "overflowed by" line counts.
        if (kind.empty() && (message.find("is not within region") != std::string::npos ||
                             message.find("will not fit in region") != std::string::npos ||
                             startsWith(message, "final link failed"))) {
            return message;
        }
        return errorLine({}, message);
    }
    if (std::regex_match(line, match, linkerLocated)) {
        const std::string message = match[3].str();
        if (startsWith(message, "first defined here") ||
            startsWith(message, "more undefined references")) {
            return location(match[1].str(), match[2].str()) + ": " + message;
        }
        return errorLine(location(match[1].str(), match[2].str()), message);
    }
    if (std::regex_match(line, match, linkerSection)) {
        const std::string message = match[2].str();
        if (startsWith(message, "first defined here") ||
            startsWith(message, "more undefined references")) {
            return mapPath_(match[1].str()) + ": " + message;
        }
        return errorLine(mapPath_(match[1].str()), message);
    }
    return line;
}

std::vector<std::string> DiagnosticConverter::convertAll(const std::string& output) const {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (auto converted = convert(line)) {
            lines.push_back(*converted);
        }
    }
    return lines;
}

} // namespace avrtazu
