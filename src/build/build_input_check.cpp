#include "build/build_input_check.h"

#include "build/makefile_numbers.h"
#include "model/project.h"
#include "platform/toolchain_contract.h"
#include "services/output_directory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace avrtazu {

namespace {

// Beside the control characters, which break a line anywhere, what each place cannot hold.
constexpr std::string_view kRuleWord = ";#$=\""; // a target or prerequisite of a rule line
// A source: its path is a rule's prerequisite, its object a target that build.bat may name.
constexpr std::string_view kSource = ";#$=\"<>|%";
constexpr std::string_view kMakeValue = "#$"; // a variable's value or a command
constexpr std::string_view kQuotedFolder = "#$\"";
constexpr std::string_view kBatchLine = "<>|%\"";
constexpr std::string_view kBatchPath = "<>|%\";"; // an entry of PATH

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

std::optional<char> unsafeCharacter(std::string_view text, std::string_view unsafe) {
    for (const char c : text) {
        if (isControl(c) || unsafe.find(c) != std::string_view::npos) {
            return c;
        }
    }
    return std::nullopt;
}

std::string described(char c) {
    switch (c) {
    case '\n':
        return "a line feed";
    case '\r':
        return "a carriage return";
    case '\t':
        return "a tab";
    case ' ':
        return "a blank";
    default:
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, isControl(c) ? "the control character 0x%02x" : "'%c'",
                  static_cast<unsigned char>(c));
    return text;
}

// The text on one line: a control character shows as its code.
std::string shown(std::string_view text) {
    std::string line;
    for (const char c : text) {
        if (isControl(c)) {
            char code[8];
            std::snprintf(code, sizeof code, "<0x%02x>", static_cast<unsigned char>(c));
            line += code;
        } else {
            line += c;
        }
    }
    return line;
}

// A number as the compiler reads it (automatic base); text that is no number is left to it.
bool beyondMemory(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0') {
        return false;
    }
    return errno == ERANGE || value < 0 || value > toolchain_contract::kMemoryValueLimit;
}

bool beyondMemory(std::int32_t value) {
    return value < 0 || value > toolchain_contract::kMemoryValueLimit;
}

class Findings {
public:
    void source(const std::string& path, const std::string& name) {
        const auto c = unsafeCharacter(path, kSource);
        const auto blank = unsafeCharacter(name, " ");
        if (c || blank) {
            list.push_back(shown(path) + ": a source file whose name holds " +
                           described(c ? *c : *blank) + " cannot be built; rename it");
        }
    }
    void text(const std::string& subject, const std::string& text, std::string_view unsafe,
              const char* file) {
        if (const auto c = unsafeCharacter(text, unsafe)) {
            list.push_back(subject + " \"" + shown(text) + "\" holds " + described(*c) +
                           ", which cannot be written into " + file + "; change it");
        }
    }
    void setting(const char* element, const std::string& value, std::string_view unsafe) {
        text(std::string("the setting ") + element, value, unsafe, "the Makefile");
    }
    void memory(const char* element, const std::string& value, bool beyond) {
        if (beyond) {
            char limit[24];
            std::snprintf(limit, sizeof limit, "%#lx", toolchain_contract::kMemoryValueLimit);
            list.push_back(std::string("the setting ") + element + " \"" + shown(value) +
                           "\" is not a memory size or address from 0 to " + limit + "; change it");
        }
    }

    std::vector<std::string> list;
};

void checkMakefileInput(const Project& project, Findings& found) {
    for (const SourceFile& file : project.srcFiles()) {
        found.source(file.absoluteName(project.homePath()), file.name());
    }
    found.text("the project name", project.name(), std::string(kRuleWord) + " ", "the Makefile");
    found.setting("OUTPUTFILENAME", project.outputFileName(), std::string(kMakeValue) + " ");
    for (const auto& [element, list] : {std::pair{"INCLUDE", &project.includes()},
                                        {"ASMINCLUDE", &project.asmincludes()},
                                        {"LIBDIR", &project.libdirs()}}) {
        for (const std::string& folder : *list) {
            found.setting(element, folder, kQuotedFolder);
        }
    }
    for (const auto& [element, value] : {std::pair{"MACRODEFINITIONS", project.macroDefinitions()},
                                         {"UNDEFINES", project.undefines()},
                                         {"OTHEROPTIONS", project.otherOptions()},
                                         {"NONDEFAULTSTARTUP", project.nonDefaultStartup()},
                                         {"EEPROM", project.eeprom()},
                                         {"UNUSEDROMFILLBYTES", project.unusedRomFillBytes()},
                                         {"RETURNSTACKSIZE", project.returnStackSize()},
                                         {"ADDITIONALLIB", project.additionalLib()}}) {
        found.setting(element, value, kMakeValue);
    }
    // The post-link command is a command by design; it only has to stay one line.
    found.setting("ECASB", project.ecasb(), "");
    for (const auto& [element, value] : {std::pair{"PROGRAMMEMORY", project.programMemory()},
                                         {"DATAMEMORY", project.dataMemory()},
                                         {"DATAADDRESSBYTE", project.dataAddressByte()},
                                         {"TEXTADDRESSWORD", project.textAddressWord()}}) {
        found.memory(element, value, beyondMemory(makefileNumber(value)));
    }
    for (const auto& [element, value] :
         {std::pair{"RETURNSTACKSIZE", project.returnStackSize()}, {"EEPROM", project.eeprom()}}) {
        found.memory(element, value, beyondMemory(value));
    }
    found.text("the output folder", outputDirectory(project), kBatchLine, "build.bat");
}

} // namespace

std::vector<std::string> BuildInputCheck::findings(const Project& project) {
    Findings found;
    if (!project.usesExtMakefile()) {
        checkMakefileInput(project, found);
    }
    if (project.usesTazuAvr()) {
        found.text("the compiler folder", project.tazuLocation(), kBatchPath, "build.bat");
        found.text("the make tool folder", project.makeLocation(), kBatchPath, "build.bat");
    }
    return found.list;
}

} // namespace avrtazu
