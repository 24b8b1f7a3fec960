#include "plugin/plugin_fixture.h"

#include "model/source_file.h"
#include "platform/shell.h"
#include "services/plug_in_utility.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace avrtazu::test {
namespace {

using Strings = std::vector<std::string>;

const char* const kHelpFileMissing =
    "Failed to find avr-libc help file.. Check your TAZUAVR installation";

// One command or event sent to an opened project, and what the host must see.
struct DispatchCase {
    const char* name;
    bool event;
    long number;
    std::string eventText;
    HRESULT expected;
    std::function<void(PluginFixture&)> prepare;
    std::function<void(PluginFixture&)> check;
};

void PrintTo(const DispatchCase& row, std::ostream* out) {
    *out << (row.event ? "event " : "command ") << row.number;
}

class DispatchTest : public PluginFixture, public ::testing::WithParamInterface<DispatchCase> {};

std::string help(const std::string& topic) {
    return "<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>" + topic + "</TOPIC></SHOW_HELP>";
}

std::string rootText(PluginFixture& fixture) {
    return fixture.plugin->tree()->rootItem()->text(0).toStdString();
}

Strings otherFiles(PluginFixture& fixture) {
    Strings names;
    for (const SourceFile& file : fixture.plugin->project().otherFiles()) {
        names.push_back(file.fullName());
    }
    return names;
}

// A section value of the host document as the next save wrote it.
std::string savedPart(PluginFixture& fixture) {
    return fakes::selectNode(fixture.hub->document, "/AVRStudio/AVRTAZUPLUGIN/CONFIGS/CONFIG/PART")
        .child_value();
}

// A dirty project shows "*" in the tree until a refresh after the build clears it.
void makeDirty(PluginFixture& fixture) {
    fixture.plugin->project().setDirty(true);
    fixture.plugin->tree()->updateControlDataFromProject();
    ASSERT_EQ(rootText(fixture), "demo (default)*");
}

void changePart(PluginFixture& fixture) {
    fixture.plugin->project().setPart("ATmega8");
}

void nothingHappened(PluginFixture& fixture) {
    EXPECT_TRUE(fixture.makeCalls().empty());
    EXPECT_TRUE(fixture.works.output.empty());
    EXPECT_TRUE(fixture.works.helpRequests.empty());
    EXPECT_TRUE(fixture.works.openedAtLine.empty());
    EXPECT_TRUE(fixture.sentEvents().empty());
    EXPECT_TRUE(fixture.logMessages(2).empty());
}

const std::vector<DispatchCase> kCases = {
    {"Build", false, 0, "", S_OK, makeDirty,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.makeCalls(), Strings{"[]"});
         EXPECT_EQ(fixture.sentEvents(), std::vector<long>{51});
         EXPECT_EQ(fixture.hub->events.at(0).text, "C:\\work\\demo\\default\\demo.cof");
         EXPECT_EQ(fixture.works.loadObjectFileCalls, 0);
         EXPECT_EQ(otherFiles(fixture), (Strings{"default\\demo.lis", "default\\demo.mp"}));
         // The refreshed tree shows the project as clean.
         EXPECT_EQ(rootText(fixture), "demo (default)");
     }},
    {"BuildAndLoad", false, 1, "", S_OK, makeDirty,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.makeCalls(), Strings{"[]"});
         EXPECT_EQ(fixture.works.loadObjectFileCalls, 1);
         EXPECT_EQ(rootText(fixture), "demo (default)");
     }},
    {"BuildWithoutTools", false, 0, "", E_FAIL,
     [](PluginFixture& fixture) { fixture.plugin->project().setMakeLocation("C:\\none"); },
     [](PluginFixture& fixture) {
         EXPECT_TRUE(fixture.makeCalls().empty());
         EXPECT_EQ(fixture.outputTexts().back(), "Build failed... No build tools defined.");
     }},
    {"Rebuild", false, 2, "", E_FAIL, makeDirty,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.makeCalls(), (Strings{"[clean]", "[]"}));
         EXPECT_EQ(fixture.sentEvents(), std::vector<long>{51});
         EXPECT_EQ(rootText(fixture), "demo (default)");
     }},
    {"CompileActiveFile", false, 3, "", S_OK,
     [](PluginFixture& fixture) { fixture.works.activeFile = "C:\\work\\demo\\src\\uart.c"; },
     [](PluginFixture& fixture) { EXPECT_EQ(fixture.makeCalls(), Strings{"[uart.o]"}); }},
    {"CompileWithoutActiveFile", false, 3, "", E_FAIL,
     [](PluginFixture& fixture) { fixture.works.activeFileResult = E_FAIL; },
     [](PluginFixture& fixture) {
         EXPECT_TRUE(fixture.makeCalls().empty());
         EXPECT_TRUE(fixture.logged(2, "Could not get the file to compile"));
     }},
    {"Clean", false, 4, "", S_OK, nullptr,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.makeCalls(), Strings{"[clean]"});
         EXPECT_TRUE(fixture.sentEvents().empty());
     }},
    // The options change has its own tests; here its sheet is cancelled.
    {"Options", false, 5, "", S_OK,
     [](PluginFixture&) {
         ModalRunner::setHook([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
     },
     [](PluginFixture& fixture) {
         ModalRunner::setHook({});
         EXPECT_TRUE(fixture.makeCalls().empty());
     }},
    {"ExportMakefileCancelled", false, 6, "", S_OK, nullptr,
     [](PluginFixture& fixture) {
         ASSERT_EQ(fixture.dialogs.dialogs().size(), 1U);
         EXPECT_EQ(fixture.dialogs.dialogs()[0].title, "Export Makefile");
         EXPECT_TRUE(fixture.makeCalls().empty());
     }},
    {"ExportMakefile", false, 6, "", S_OK,
     [](PluginFixture& fixture) {
         fixture.dialogs.queueSaveFile(std::string("C:\\work\\demo\\exported.mk"));
     },
     [](PluginFixture& fixture) {
         EXPECT_TRUE(fixture.logged(0, "Exported makefile to C:\\work\\demo\\exported.mk"));
         EXPECT_FALSE(fixture.text("C:\\work\\demo\\exported.mk").empty());
     }},
    {"Help", false, 7, "", E_FAIL, nullptr,
     [](PluginFixture& fixture) { EXPECT_EQ(fixture.works.helpRequests, Strings{help("")}); }},
    {"LibraryHelpMissing", false, 8, "", E_FAIL,
     [](PluginFixture&) {
         PlugInUtility::instance().setHelpFile("C:\\tazu\\Help\\TAZUAVR\\wwhelp.htm");
     },
     [](PluginFixture& fixture) { EXPECT_EQ(fixture.logMessages(2), Strings{kHelpFileMissing}); }},
    {"LibraryHelpOpened", false, 8, "", E_FAIL,
     [](PluginFixture& fixture) {
         PlugInUtility::instance().setHelpFile(fixture.drive.windows("tazu/wwhelp.htm"));
         fixture.drive.write("tazu/wwhelp.htm", "<html></html>");
         Shell::setOpener("true");
     },
     [](PluginFixture& fixture) {
         Shell::setOpener("");
         EXPECT_TRUE(fixture.logMessages(2).empty());
     }},
    {"UnknownCommand", false, 9, "", E_FAIL, nullptr, nothingHappened},
    {"NegativeCommand", false, -1, "", E_FAIL, nullptr, nothingHappened},

    {"DebugPartSameIgnoringCase", true, 6, "CUSTOM", S_OK, nullptr,
     [](PluginFixture& fixture) { EXPECT_TRUE(fixture.logMessages(1).empty()); }},
    {"DebugPartDiffers", true, 6, "ATmega16", S_OK, nullptr,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.logMessages(1),
                   Strings{"Part name selected for compilation is Custom, while partname "
                           "selected for debugging is ATmega16."});
     }},
    {"Save", true, 12, "", S_OK, changePart,
     [](PluginFixture& fixture) {
         EXPECT_EQ(savedPart(fixture), "ATmega8");
         EXPECT_EQ(fixture.works.clearOutputCalls, 0);
     }},
    {"SaveAndClear26", true, 26, "", S_OK, changePart,
     [](PluginFixture& fixture) {
         EXPECT_EQ(savedPart(fixture), "ATmega8");
         EXPECT_EQ(fixture.works.clearOutputCalls, 1);
     }},
    {"SaveAndClear102", true, 102, "", S_OK, changePart,
     [](PluginFixture& fixture) {
         EXPECT_EQ(savedPart(fixture), "ATmega8");
         EXPECT_EQ(fixture.works.clearOutputCalls, 1);
     }},
    {"JumpToLine", true, 57, "!E C:\\elsewhere\\src\\uart.c(17): expected ';'", S_OK, nullptr,
     [](PluginFixture& fixture) {
         const auto& opened = fixture.works.openedAtLine;
         ASSERT_EQ(opened.size(), 1U);
         EXPECT_EQ(opened[0].path, "C:\\work\\demo\\uart.c");
         EXPECT_EQ(opened[0].line, 17);
         EXPECT_EQ(opened[0].flags, 0);
     }},
    {"JumpWithoutBlank", true, 57, "main.c(3):", S_OK, nullptr, nothingHappened},
    {"ObjectFileDirty", true, 58, "", S_OK, nullptr,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.makeCalls(), Strings{"[]"});
         EXPECT_EQ(fixture.works.loadObjectFileCalls, 1);
         EXPECT_EQ(fixture.sentEvents(), std::vector<long>{51});
     }},
    {"HelpIntroduction", true, 59, "", S_OK, nullptr,
     [](PluginFixture& fixture) {
         EXPECT_EQ(fixture.works.helpRequests, Strings{help("introduction")});
     }},
    {"UnknownEvent", true, 1000, "text", S_OK, nullptr, nothingHappened},
};

TEST_P(DispatchTest, GivesItsResultAndDoesItsWork) {
    const DispatchCase& row = GetParam();
    openProject();
    clearRecords();
    if (row.prepare) {
        row.prepare(*this);
    }
    const HRESULT result = row.event ? plugin->HandleEvent(row.number, toWide(row.eventText))
                                     : plugin->ExecuteCommand(row.number);
    EXPECT_EQ(result, row.expected);
    row.check(*this);
}

INSTANTIATE_TEST_SUITE_P(CommandsAndEvents, DispatchTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DispatchCase>& info) {
                             return std::string(info.param.event ? "Event" : "Command") +
                                    info.param.name;
                         });

} // namespace
} // namespace avrtazu::test
