#include "plugin/plugin_fixture.h"

#include "platform/shell.h"

#include <filesystem>
#include <functional>
#include <string>

namespace avrtazu::test {
namespace {

using Step = std::function<void(PluginFixture&)>;

// One command or event sent to an opened project.
struct DispatchCase {
    bool event;
    long number;
    std::string text = "";
    Step prepare = nullptr;
};

std::string rootText(PluginFixture& f) {
    return f.plugin->tree()->rootItem()->text(0).toStdString();
}

// A dirty project shows "*" in the tree until a refresh after the build clears it.
void makeDirty(PluginFixture& f) {
    f.plugin->project().setDirty(true);
    f.plugin->tree()->updateControlDataFromProject();
}

void changePart(PluginFixture& f) {
    f.plugin->project().setPart("ATmega8");
}

void openHelpFile(PluginFixture& f) {
    PlugInUtility::instance().setHelpFile(f.drive.write("tazu/wwhelp.htm", "<html/>"));
    Shell::setOpener("true");
}

// What the host saw for each command and event: its result, the make calls, logs, events,
// dialogs, help requests and the state of the tree.
TEST_F(PluginFixture, EachCommandAndEventGivesItsResultAndDoesItsWork) {
    const DispatchCase cases[] = {
        {false, 0, "", makeDirty},
        {false, 0, "", [](PluginFixture& f) { f.plugin->project().setMakeLocation("C:\\none"); }},
        {false, 1, "", makeDirty},
        {false, 2, "", makeDirty},
        {false, 3, "",
         [](PluginFixture& f) { f.works.activeFile = "C:\\work\\demo\\src\\uart.c"; }},
        {false, 3, "", [](PluginFixture& f) { f.works.activeFileResult = E_FAIL; }},
        {false, 4},
        {false, 5, "", [](PluginFixture& f) { f.expectSheets({PluginFixture::cancel}); }},
        {false, 6},
        {false, 7},
        {false, 8, "",
         [](PluginFixture&) { PlugInUtility::instance().setHelpFile("C:\\tazu\\wwhelp.htm"); }},
        {false, 8, "", openHelpFile},
        {false, 9},
        {true, 6, "CUSTOM"},
        {true, 6, "ATmega16"},
        {true, 12, "", changePart},
        {true, 26, "", changePart},
        {true, 102, "", changePart},
        {true, 57, "!E C:\\elsewhere\\src\\uart.c(17): expected ';'"},
        {true, 57, "main.c(3):"},
        {true, 58, "", makeDirty},
        {true, 59},
        {true, 1000, "text"},
    };
    std::string transcript;
    for (const DispatchCase& row : cases) {
        plugin = std::make_unique<Zuzozuduvuruva>();
        std::filesystem::remove_all(drive.linux("work/demo/default"));
        openProject();
        clearRecords();
        if (row.prepare) {
            row.prepare(*this);
        }
        const std::string tree = rootText(*this);
        const HRESULT result = row.event ? plugin->HandleEvent(row.number, toWide(row.text))
                                         : plugin->ExecuteCommand(row.number);
        Shell::setOpener("");
        transcript += (row.event ? "event " : "command ") + std::to_string(row.number) +
                      (row.text.empty() ? "" : " " + row.text) + " => " +
                      (result == S_OK ? "S_OK" : "E_FAIL") + "; tree " + tree + " -> " +
                      rootText(*this) + "\n" + seen() + "\n";
    }
    expectGolden("dispatch.txt", transcript);
}

} // namespace
} // namespace avrtazu::test
