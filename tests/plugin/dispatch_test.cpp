#include "plugin/plugin_fixture.h"

#include "platform/registry.h"
#include "platform/shell.h"
#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"
#include "plugin/source_line_reference.h"

#include <filesystem>
#include <functional>
#include <optional>
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

// GetSetup gives the setup file in the folder the registry names as it was written: a UTF-8
// byte order mark dropped, UTF-16 re-encoded. The registry value and its terminator must fit
// 250 bytes: C:\ and 246 characters do, 247 do not.
TEST_F(PluginFixture, GetSetupReadsTheSetupFileTheRegistryNames) {
    const std::string setup = "<?xml version=\"1.0\"?>\n<AvrPlugin>\n"
                              "\t<Command id=\"0\">Build</Command>\n</AvrPlugin>";
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<AvrPlugin><Command id=\"0\">Build</Command></AvrPlugin>")) {
        utf16 += {c, '\0'};
    }
    const struct {
        // The folder below C:\ that the registry names (none: no value); the file's bytes.
        std::optional<std::string> folder;
        std::optional<std::string> content;
    } cases[] = {
        {std::nullopt, setup},
        {"plugins", std::nullopt},
        {"plugins", "<AvrPlugin><Command></AvrPlugin>"},
        {"plugins", setup},
        {"plugins", "\xEF\xBB\xBF" + setup},
        {"plugins", utf16},
        {std::string(246, 'p'), setup},
        {std::string(247, 'p'), setup},
    };
    std::string text;
    for (const auto& c : cases) {
        const std::string folder = c.folder.value_or("plugins");
        const std::string value = c.folder ? "\"AvrToolsPluginPath\"=\"C:\\\\" + folder + "\""
                                           : std::string("\"Other\"=\"C:\\\\plugins\"");
        Registry::setFile(drive.write("setup.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                   "[HKEY_LOCAL_MACHINE\\Software\\Atmel\\"
                                                   "AvrTools]\r\n" +
                                                       value + "\r\n"));
        std::filesystem::remove(drive.linux(folder + "/avrtazuplugin.xml"));
        if (c.content) {
            drive.write(folder + "/avrtazuplugin.xml", *c.content);
        }
        Bstr given = L"untouched";
        const HRESULT result = plugin->GetSetup(&given);
        text += (result == S_OK     ? "S_OK: "
                 : result == E_FAIL ? "E_FAIL: "
                                    : "E_NOTIMPL: ") +
                toNarrow(given) + "\n";
    }
    EXPECT_EQ(plugin->GetSetup(nullptr), E_POINTER);
    expectGolden("get_setup.txt", text);
}

std::string names(const std::list<SourceFile>& files) {
    std::string text;
    for (const SourceFile& file : files) {
        text += " " + file.fullName();
    }
    return text;
}

// The host's new-project event to a new plug-in object, on a document without its section: the
// project takes the host's state and the debugger's device, and the host's initial file; the
// options sheet opens on the Target page.
TEST_F(PluginFixture, ANewProjectTakesTheHostsStateAndEndsInTheOptionsSheet) {
    const std::string initial = "C:\\work\\demo\\demo.c";
    const struct {
        const char* name;
        const char* debuggerPart;
        std::string initialName;
        HRESULT nameResult = S_OK;
        const char* existing = nullptr; // the initial file's content on disk before, if any
        HRESULT openResult = S_OK;
        HRESULT dockResult = S_OK;
    } cases[] = {
        {"a device with a part of its own", "atmega128", ""},
        {"a device the compiler does not know", "ATxmega128A1", ""},
        {"a new initial file the editor answers S_FALSE for", "", initial, S_OK, nullptr, S_FALSE},
        {"no windows", "", initial, S_OK, nullptr, S_OK, E_FAIL},
        {"an initial file with content", "", initial, S_OK, "int main(void) { return 0; }\n"},
        {"an initial file name refused", "", initial, E_FAIL},
    };
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\make\\");
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin\\");
    std::string text;
    for (const auto& c : cases) {
        std::filesystem::remove(drive.linux("work/demo/demo.c"));
        if (c.existing != nullptr) {
            drive.write("work/demo/demo.c", c.existing);
        }
        hub->debugPartName = c.debuggerPart;
        works.initialFileName = c.initialName;
        works.initialFileNameResult = c.nameResult;
        works.openFileResult = c.openResult;
        works.dockWindowResult = c.dockResult;
        std::string atSheet;
        expectSheets({[&](Sheet& sheet) {
            atSheet = "at the sheet: new project " + std::to_string(OptionsChange::newProject()) +
                      ", messages " + std::to_string(dialogs.messages().size()) + "\n";
            return accept(sheet);
        }});
        plugin = std::make_unique<Zuzozuduvuruva>();
        writeDocument(nullptr);
        ASSERT_EQ(plugin->Init(&works), S_OK);
        EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kNewProject, Bstr()), S_OK);
        EXPECT_FALSE(OptionsChange::newProject()) << "the commit clears the flag";

        const Project& p = plugin->project();
        text += std::string(c.name) + ":\n" + atSheet + "part " + p.part() + ", saved part " +
                fakes::selectNode(hub->document, "//CONFIG/PART").child_value() + ", name " +
                p.name() + ", home " + p.homePath() + ", tools " + p.tazuLocation() + " and " +
                p.makeLocation() + ", output " + p.outputDir() + ", page " +
                std::to_string(p.optionTabIndex()) + ", dirty " + std::to_string(p.isDirty()) +
                ", windows " + std::to_string(plugin->windowsCreated()) + ", sources" +
                names(p.srcFiles()) + ", demo.c on disk: '" +
                (drive.exists("work/demo/demo.c") ? drive.read("work/demo/demo.c") : "none") +
                "'\n" + seen() + "\n";
    }
    expectGolden("new_project.txt", text);
}

// A build-output line's file and line (read as atoi reads it); the numbers of the options sheet
// (what strtol reads whole); the part of a new project for the debugger's device.
TEST(PluginRules, LineReferencesNumbersAndDebuggerDevices) {
    expectEachLine("source_lines.txt", [](const std::string& text) {
        const std::optional<SourceLineReference> found = SourceLineReference::parse(text);
        return found ? found->fileName + " line " + std::to_string(found->line) : "-";
    });
    expectEachLine("option_numbers.txt", [](const std::string& text) {
        return std::string(OptionsChange::isNumber(text) ? "number" : "-");
    });
    expectEachLine("debugger_devices.txt", [](const std::string& device) {
        const std::string part = NewProjectSetup::partForDebuggerDevice(device);
        return part + (NewProjectSetup::isSupported(part) ? ", supported" : ", not supported");
    });
}

} // namespace
} // namespace avrtazu::test
