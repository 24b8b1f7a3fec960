#include "avr/switch_parser.h"

#include "common/command_words.h"
#include "platform/toolchain_contract.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <regex>

namespace avrtazu {

namespace {

// "@" list files may name others, eight deep and this many in all: a list naming itself many
// times must not fan out into millions of reads.
constexpr int maxListDepth = 8;
constexpr int maxListFiles = 1000;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class Parser {
public:
    Parser(TazuOptions& options, const SwitchParser::ListFileReader& readListFile)
        : options_(options), readListFile_(readListFile) {}

    void parseAll(const std::vector<std::string>& arguments, int listDepth) {
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            if (argument.empty()) {
                continue;
            }
            if ((argument == "-o" || argument == "-I" || argument == "-L") &&
                i + 1 < arguments.size()) {
                parseOne(argument + arguments[++i], listDepth);
            } else {
                parseOne(argument, listDepth);
            }
        }
    }

private:
    void error(const std::string& message) { options_.errors.push_back(message); }

    std::optional<long> numberOf(const std::string& argument, const std::string& prefix) {
        const auto value = SwitchParser::number(argument.substr(prefix.size()));
        if (!value) {
            error("invalid number in switch " + argument);
        }
        return value;
    }

    // An address or size of memory, refused beyond what any AVR could have.
    std::optional<long> memoryValue(const std::string& argument, std::optional<long> value) {
        if (value && *value > toolchain_contract::kMemoryValueLimit) {
            char limit[24];
            std::snprintf(limit, sizeof limit, "%#lx", toolchain_contract::kMemoryValueLimit);
            error("memory value out of range in switch " + argument + " (at most " + limit + ")");
            return std::nullopt;
        }
        return value;
    }

    std::optional<long> memoryValueOf(const std::string& argument, const std::string& prefix) {
        return memoryValue(argument, numberOf(argument, prefix));
    }

    std::optional<MemoryArea> areaOf(const std::string& argument, const std::string& prefix) {
        const std::string text = argument.substr(prefix.size());
        const std::size_t dot = text.find('.');
        if (dot == std::string::npos) {
            error("switch " + argument + " needs an area start.end");
            return std::nullopt;
        }
        MemoryArea area;
        const auto start = SwitchParser::number(text.substr(0, dot));
        if (!start) {
            error("invalid start address in switch " + argument);
            return std::nullopt;
        }
        area.start = *start;
        const std::string endText = text.substr(dot + 1);
        if (!endText.empty()) {
            area.end = SwitchParser::number(endText);
            if (!area.end) {
                error("invalid end address in switch " + argument);
                return std::nullopt;
            }
        }
        if (!memoryValue(argument, std::max(area.start, area.end.value_or(0)))) {
            return std::nullopt;
        }
        return area;
    }

    void parseLibrary(const std::string& name) {
        static const std::regex runtime("(c|lp|fp)(avr|atmega|atm128|atm256)(gr)?");
        std::smatch match;
        if (std::regex_match(name, match, runtime)) {
            const std::string kind = match[1].str();
            // "-llpatmega -lcatmega": the printf library names the choice, the C library the
            // family; the C library after it must not undo it.
            if (kind == "lp") {
                options_.printf = PrintfKind::Long;
            } else if (kind == "fp") {
                options_.printf = PrintfKind::Float;
            }
            options_.libraryFamily = match[2].str() + match[3].str();
        } else if (name == "studio") {
            options_.studioIo = true;
        } else {
            options_.libraries.push_back(name);
        }
    }

    void parseListFile(const std::string& argument, int listDepth) {
        const std::string name = argument.substr(1);
        // Past a limit the run has failed: one message, and no list file is read any more.
        if (listsStopped_) {
            return;
        }
        if (listDepth > maxListDepth || ++listFiles_ > maxListFiles) {
            error(listDepth > maxListDepth ? "list file " + name + " names itself"
                                           : "more than " + std::to_string(maxListFiles) +
                                                 " list files; stopped at " + name);
            listsStopped_ = true;
            return;
        }
        const auto text = readListFile_(name);
        if (!text) {
            error("cannot open list file " + name);
            return;
        }
        parseAll(CommandWords::split(*text), listDepth + 1);
    }

    void parseOne(const std::string& a, int listDepth) {
        if (a.front() == '@') {
            parseListFile(a, listDepth);
        } else if (a.front() != '-') {
            options_.inputs.push_back(a);
        } else if (a == "-c") {
            options_.compileOnly = true;
        } else if (startsWith(a, "-o") && a.size() > 2) {
            options_.outputBase = a.substr(2);
        } else if (startsWith(a, "-I") && a.size() > 2) {
            options_.includeFolders.push_back(a.substr(2));
        } else if (startsWith(a, "-L") && a.size() > 2) {
            options_.libraryFolders.push_back(a.substr(2));
        } else if (startsWith(a, "-D")) {
            // An empty definition ("-D" alone) comes from an empty list item; it defines nothing.
            if (a.size() > 2) {
                const std::string definition = a.substr(2);
                options_.defines.push_back(definition);
                const std::string name = definition.substr(0, definition.find('='));
                if (!DeviceTable::mcuForDefine(name).empty()) {
                    options_.device = name;
                }
            }
        } else if (startsWith(a, "-U")) {
            if (a.size() > 2) {
                options_.undefines.push_back(a.substr(2));
            }
        } else if (a == "-e") {
            options_.extensions = true;
        } else if (startsWith(a, "-e:")) {
            options_.programEnd = memoryValueOf(a, "-e:");
        } else if (a == "-A") {
            ++options_.strictness;
        } else if (a == "-g") {
            options_.debugInfo = true;
        } else if (a == "-l") {
            options_.listing = true;
        } else if (startsWith(a, "-l")) {
            parseLibrary(a.substr(2));
        } else if (startsWith(a, "-Wa-I") && a.size() > 5) {
            options_.asmIncludeFolders.push_back(a.substr(5));
        } else if (a == "-Wa-g") {
            options_.asmDebugInfo = true;
        } else if (a == "-Wa-W" || a == "-Wl-W") {
            options_.wrapAround = true;
        } else if (a == "-Wf-intenum") {
            options_.intSizedEnums = true;
        } else if (a == "-Wf-str_in_flash") {
            options_.stringsInFlash = true;
        } else if (a == "-Wf-r20_23") {
            options_.reserveR20ToR23 = true;
        } else if (a == "-Wf-use_elpm") {
            options_.useElpm = true;
        } else if (a == "-Mavr_enhanced_small") {
            options_.core = CoreKind::EnhancedSmall;
        } else if (a == "-Mavr_enhanced") {
            options_.core = CoreKind::Enhanced;
        } else if (a == "-Mavr_extended") {
            options_.core = CoreKind::Extended;
        } else if (a == "-Mavr_mega") {
            options_.core = CoreKind::Mega;
        } else if (a == "-xcall") {
            options_.extendedCalls = true;
        } else if (startsWith(a, "-bfunc_lit:")) {
            options_.codeArea = areaOf(a, "-bfunc_lit:");
        } else if (startsWith(a, "-bvector:")) {
            options_.vectorArea = areaOf(a, "-bvector:");
        } else if (startsWith(a, "-bdata:")) {
            options_.dataArea = areaOf(a, "-bdata:");
        } else if (startsWith(a, "-beeprom:")) {
            options_.eeprom = areaOf(a, "-beeprom:");
        } else if (startsWith(a, "-dram_end:")) {
            options_.ramEnd = memoryValueOf(a, "-dram_end:");
        } else if (startsWith(a, "-dhwstk_size:")) {
            options_.returnStackSize = memoryValueOf(a, "-dhwstk_size:");
        } else if (startsWith(a, "-dFRAM:")) {
            const auto value = numberOf(a, "-dFRAM:");
            if (value && *value != 0 && *value != 1) {
                error("switch " + a + " takes 0 or 1");
            } else if (value) {
                options_.externalRamFast = static_cast<int>(*value);
            }
        } else if (startsWith(a, "-u") && a.size() > 2) {
            options_.startupFile = a.substr(2);
        } else if (startsWith(a, "-F") && a.size() > 2) {
            const auto value = numberOf(a, "-F");
            if (value && (*value < 0 || *value > 0xff)) {
                error("fill byte out of range in switch " + a);
            } else if (value) {
                options_.fillByte = static_cast<int>(*value);
            }
        } else if (a == "-fihx_coff") {
            options_.format = OutputFormat::HexAndCoff;
        } else if (a == "-fcoff") {
            options_.format = OutputFormat::CoffOnly;
        } else if (a == "-fintelhex") {
            options_.format = OutputFormat::HexOnly;
        } else if (startsWith(a, "-S") && a.size() > 2) {
            const auto value = numberOf(a, "-S");
            options_.summaryLevel = value ? static_cast<int>(*value) : 0;
        } else {
            error("unknown switch " + a);
        }
    }

    TazuOptions& options_;
    const SwitchParser::ListFileReader& readListFile_;
    int listFiles_ = 0;
    bool listsStopped_ = false;
};

} // namespace

std::optional<long> SwitchParser::number(const std::string& text) {
    if (text.empty() || text.front() == '-' || text.front() == '+' || text.front() == ' ') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

TazuOptions SwitchParser::parse(const std::vector<std::string>& arguments,
                                const ListFileReader& readListFile) {
    TazuOptions options;
    Parser parser(options, readListFile);
    parser.parseAll(arguments, 0);
    return options;
}

} // namespace avrtazu
