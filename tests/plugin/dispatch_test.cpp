#include "plugin/plugin_fixture.h"

#include "platform/shell.h"

#include <functional>
#include <string>

namespace avrtazu::test {
namespace {

using Step = std::function<void(PluginFixture&)>;

// One command or event sent to an opened project, and what the host must see.
struct DispatchCase {
    const char* name;
    bool event;
    long number;
    std::string text;
    HRESULT expected;
    Step prepare;
    Step check;
};

class DispatchTest : public PluginFixture, public ::testing::WithParamInterface<DispatchCase> {};

std::string help(const std::string& topic) {
    return "<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>" + topic + "</TOPIC></SHOW_HELP>";
}

std::string rootText(PluginFixture& f) {
    return f.plugin->tree()->rootItem()->text(0).toStdString();
}

// A dirty project shows "*" in the tree until a refresh after the build clears it.
void makeDirty(PluginFixture& f) {
    f.plugin->project().setDirty(true);
    f.plugin->tree()->updateControlDataFromProject();
    ASSERT_EQ(rootText(f), "demo (default)*");
}

// The make calls, and for a build, the refreshed tree that shows the project clean.
Step made(std::string calls, int loads = 0) {
    return [=](PluginFixture& f) {
        EXPECT_EQ(f.makeCalls(), calls);
        EXPECT_EQ(f.works.loadObjectFileCalls, loads);
        if (calls.ends_with("[]\n")) {
            EXPECT_EQ(rootText(f), "demo (default)");
        }
    };
}

Step saved(int clears) {
    return [=](PluginFixture& f) {
        EXPECT_EQ(f.documentText("/AVRStudio/AVRTAZUPLUGIN/CONFIGS/CONFIG/PART"), "ATmega8");
        EXPECT_EQ(f.works.clearOutputCalls, clears);
    };
}

void changePart(PluginFixture& f) {
    f.plugin->project().setPart("ATmega8");
}

void nothingHappened(PluginFixture& f) {
    EXPECT_TRUE(f.makeCalls().empty() && f.works.helpRequests.empty() &&
                f.works.openedAtLine.empty() && f.hub->events.empty() && f.hub->logs.empty());
}

const std::vector<DispatchCase> kCases = {
    {"Build", false, 0, "", S_OK, makeDirty, made("[]\n")},
    {"BuildFails", false, 0, "", E_FAIL,
     [](PluginFixture& f) { f.plugin->project().setMakeLocation("C:\\none"); }, made("")},
    {"BuildAndLoad", false, 1, "", S_OK, makeDirty, made("[]\n", 1)},
    {"Rebuild", false, 2, "", E_FAIL, makeDirty, made("[clean]\n[]\n")},
    {"CompileFile", false, 3, "", S_OK,
     [](PluginFixture& f) { f.works.activeFile = "C:\\work\\demo\\src\\uart.c"; },
     made("[uart.o]\n")},
    {"CompileFails", false, 3, "", E_FAIL,
     [](PluginFixture& f) { f.works.activeFileResult = E_FAIL; }, made("")},
    {"Clean", false, 4, "", S_OK, nullptr, made("[clean]\n")},
    {"OptionsCancelled", false, 5, "", S_OK,
     [](PluginFixture& f) { f.expectSheets({PluginFixture::cancel}); },
     [](PluginFixture& f) { EXPECT_EQ(f.sheetsShown(), 1); }},
    {"ExportMakefile", false, 6, "", S_OK, nullptr,
     [](PluginFixture& f) {
         ASSERT_EQ(f.dialogs.dialogs().size(), 1U);
         EXPECT_EQ(f.dialogs.dialogs()[0].title, "Export Makefile");
     }},
    {"Help", false, 7, "", E_FAIL, nullptr,
     [](PluginFixture& f) { EXPECT_EQ(f.works.helpRequests, Strings{help("")}); }},
    {"LibraryHelpMissing", false, 8, "", E_FAIL,
     [](PluginFixture&) { PlugInUtility::instance().setHelpFile("C:\\tazu\\wwhelp.htm"); },
     [](PluginFixture& f) {
         EXPECT_EQ(f.logMessages(2), Strings{"Failed to find avr-libc help file.. Check your "
                                             "TAZUAVR installation"});
     }},
    {"LibraryHelpOpened", false, 8, "", E_FAIL,
     [](PluginFixture& f) {
         PlugInUtility::instance().setHelpFile(f.drive.write("tazu/wwhelp.htm", "<html/>"));
         Shell::setOpener("true");
     },
     [](PluginFixture& f) {
         Shell::setOpener("");
         EXPECT_TRUE(f.logMessages(2).empty());
     }},
    {"Unknown", false, 9, "", E_FAIL, nullptr, nothingHappened},

    {"DebugPartSameIgnoringCase", true, 6, "CUSTOM", S_OK, nullptr, nothingHappened},
    {"DebugPartDiffers", true, 6, "ATmega16", S_OK, nullptr,
     [](PluginFixture& f) {
         EXPECT_EQ(f.logMessages(1), Strings{"Part name selected for compilation is Custom, while "
                                             "partname selected for debugging is ATmega16."});
     }},
    {"Save", true, 12, "", S_OK, changePart, saved(0)},
    {"SaveAndClearOutput", true, 26, "", S_OK, changePart, saved(1)},
    {"SaveAndClearOutputLate", true, 102, "", S_OK, changePart, saved(1)},
    {"JumpToLine", true, 57, "!E C:\\elsewhere\\src\\uart.c(17): expected ';'", S_OK, nullptr,
     [](PluginFixture& f) {
         ASSERT_EQ(f.works.openedAtLine.size(), 1U);
         EXPECT_EQ(f.works.openedAtLine[0].path, "C:\\work\\demo\\uart.c");
         EXPECT_EQ(f.works.openedAtLine[0].line, 17);
         EXPECT_EQ(f.works.openedAtLine[0].flags, 0);
     }},
    {"JumpWithoutBlank", true, 57, "main.c(3):", S_OK, nullptr, nothingHappened},
    {"ObjectFileDirty", true, 58, "", S_OK, makeDirty, made("[]\n", 1)},
    {"ShowHelp", true, 59, "", S_OK, nullptr,
     [](PluginFixture& f) { EXPECT_EQ(f.works.helpRequests, Strings{help("introduction")}); }},
    {"Unknown", true, 1000, "text", S_OK, nullptr, nothingHappened},
};

TEST_P(DispatchTest, GivesItsResultAndDoesItsWork) {
    const DispatchCase& row = GetParam();
    openProject();
    clearRecords();
    if (row.prepare) {
        row.prepare(*this);
    }
    EXPECT_EQ(row.event ? plugin->HandleEvent(row.number, toWide(row.text))
                        : plugin->ExecuteCommand(row.number),
              row.expected);
    row.check(*this);
}

INSTANTIATE_TEST_SUITE_P(CommandsAndEvents, DispatchTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DispatchCase>& info) {
                             return std::string(info.param.event ? "Event" : "Command") +
                                    info.param.name;
                         });

} // namespace
} // namespace avrtazu::test
