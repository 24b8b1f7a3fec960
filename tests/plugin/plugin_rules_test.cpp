#include "plugin/plugin_fixture.h"

#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"
#include "plugin/source_line_reference.h"

namespace avrtazu::test {
namespace {

// The file name and line a build-output line names, its line read as atoi reads it.
TEST(PluginRules, SourceLineReferences) {
    expectEachLine(GOLDEN_DIR "/source_lines.txt", [](const std::string& text) {
        const std::optional<SourceLineReference> found = SourceLineReference::parse(text);
        return found ? found->fileName + " line " + std::to_string(found->line) : "-";
    });
}

// Numbers of the options sheet are what strtol reads whole.
TEST(PluginRules, OptionNumbers) {
    expectEachLine(GOLDEN_DIR "/option_numbers.txt", [](const std::string& text) {
        return std::string(OptionsChange::isNumber(text) ? "number" : "-");
    });
}

// The part of a new project for the debugger's device, and whether the compiler knows it.
TEST(PluginRules, DebuggerDevices) {
    expectEachLine(GOLDEN_DIR "/debugger_devices.txt", [](const std::string& device) {
        const std::string part = NewProjectSetup::partForDebuggerDevice(device);
        return part + (NewProjectSetup::isSupported(part) ? ", supported" : ", not supported");
    });
}

} // namespace
} // namespace avrtazu::test
