#include "plugin/plugin_fixture.h"

#include "model/source_file.h"
#include "plugin/options_change.h"
#include "ui/modal_runner.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {
namespace {

using OptionsChangeTest = PluginFixture;
using Change = std::function<void(Project&)>;

const PluginFixture::Pass accepted = PluginFixture::accept;
const std::string kDeviceNotSet = "Device configuration not set for the compiler.\nPlease select "
                                  "the appropriate device under the \"Project->Configuration "
                                  "Options->Target\" tab.";

TEST(OptionsFieldCheck, NumbersAreWhatStrtolReadsWhole) {
    const std::pair<const char*, bool> cases[] = {
        {"1024", true}, {"0x1E", true}, {"010", true}, {"08", false}, {"12 ", false}, {"", false},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(OptionsChange::isNumber(text), number) << '"' << text << '"';
    }
}

// Each check with its message and correction: the first sheet is accepted with a value that
// fails, the sheet opens again, a good value is typed in unless the check corrected the value
// itself, and its OK commits.
TEST_F(OptionsChangeTest, EachCheckShowsItsMessageAndReopensTheSheet) {
    struct Case {
        std::string message;
        // A control of the Target page with a bad and a good value, or a check that corrects.
        const char* control;
        std::string bad;
        std::string good;
        Change prepare = nullptr;
        std::function<void(const Project&)> corrected = nullptr;
    };
    const std::vector<Case> cases = {
        {"Device Configuration must not be empty", nullptr, "", "",
         [](Project& p) { p.setPart(""); },
         [](const Project& p) { EXPECT_EQ(p.part(), "Custom"); }},
        {"\"Program Memory\" not a valid number!", "programMemory", "2k", "2048"},
        {"\"Data Memory\" must not be empty", "dataMemory", "", "128"},
        {"\"EEPROM\" must not be empty", "eeprom", "", "128"},
        {"\"Text Address (Word)\" not a valid number!", "textAddressWord", "x13", "0x13"},
        {"\"Data Address (Byte)\" must not be empty", "dataAddressByte", "", "0x60"},
        {"\"Return Stack Size\" not a valid number!", "returnStackSize", "16 ", "16"},
        // Read as atoi reads it, a hexadecimal stack size is 0.
        {"Return Stack Size should be at least 30 bytes when using large/float printf!", nullptr,
         "", "",
         [](Project& p) {
             p.setReturnStackSize("0x1E");
             p.setPrintfVersion(2);
         },
         [](const Project& p) { EXPECT_EQ(p.printfVersion(), 0); }},
        // The empty text is allowed here.
        {"\"Unused ROM Fill Bytes\" not a valid number!", "unusedRomFillBytes", "0xFFG", ""},
        {"Boot size cannot be \"None\" for bootloader", nullptr, "", "",
         [](Project& p) {
             p.setProgramType(1);
             p.setBootSize("nOnE");
         },
         [](const Project& p) { EXPECT_EQ(p.programType(), 0); }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Project project = demoProject();
        if (c.prepare) {
            c.prepare(project);
        }
        project.setDirty(false);
        initWith(project);
        dialogs.clear();
        const auto pass = [&](const std::string& value) {
            return [&c, value, this](Sheet& sheet) {
                if (c.control != nullptr) {
                    setText(target(sheet), c.control, value);
                } else if (sheetsShown() == 2) {
                    c.corrected(plugin->project());
                }
                return accept(sheet);
            };
        };
        expectSheets({pass(c.bad), pass(c.good)});

        EXPECT_EQ(plugin->changeOptions(), S_OK);

        EXPECT_EQ(sheetsShown(), 2);
        ASSERT_EQ(messageTexts(), Strings{c.message});
        EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
        EXPECT_TRUE(plugin->project().isDirty()) << "not committed";
    }
}

// Values next to the limits pass, and a listed device needs no EEPROM size.
TEST_F(OptionsChangeTest, ValuesThatPassCommitAtOnce) {
    Project project = demoProject();
    project.setReturnStackSize("30");
    project.setPrintfVersion(2);
    project.setProgramType(1);
    project.setBootSize("256 Words");
    project.setPart("ATMega16");
    project.setEeprom("");
    initWith(project);
    expectSheets({accepted});
    EXPECT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_EQ(sheetsShown(), 1);
    EXPECT_EQ(messageTexts(), Strings{});
}

// A cancel puts back the copy taken at the start, except for a project the host has just
// created: that must not be left without a device.
TEST_F(OptionsChangeTest, CancelPutsTheProjectBackExactlyUnlessItIsNew) {
    // Every setting of every configuration, the files and the project-level values.
    const auto saved = [this] {
        plugin->xml().projectToXML(plugin->project());
        std::ostringstream text;
        hub->document.save(text);
        return text.str();
    };
    initWith(fakes::richProject());
    const std::string before = saved();
    expectSheets({[this](Sheet& sheet) {
        click(general(sheet), "useExternalMakefileCheck");
        Project& p = plugin->project();
        p.setReturnStackSize("99");
        p.addSrcFile(SourceFile("extra.c"));
        p.removeOtherFile("notes.txt");
        p.addIncludeDirectory("C:\\more");
        p.setOptions("main.c", "-O0");
        return cancel(sheet);
    }});
    EXPECT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_EQ(sheetsShown(), 1);
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(saved(), before);

    initWith();
    OptionsChange::setNewProject(true);
    expectSheets({[this](Sheet& sheet) {
                      plugin->project().setReturnStackSize("40");
                      return cancel(sheet);
                  },
                  accepted});
    EXPECT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_EQ(sheetsShown(), 2);
    ASSERT_EQ(messageTexts(), Strings{kDeviceNotSet});
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    EXPECT_FALSE(OptionsChange::newProject()) << "the commit clears the flag";
    EXPECT_EQ(plugin->project().returnStackSize(), "40") << "not put back";
}

// With nobody at the sheet, a failure that comes back unchanged ends the change; another
// failure after a corrected one does not, nor does a user's second OK on the same failure.
TEST_F(OptionsChangeTest, ARepeatedFailureEndsTheChangeOnlyWithoutAUser) {
    struct Case {
        Change prepare;
        bool newProject;
        int sheets;
        std::string message;
    };
    const Case cases[] = {
        {[](Project& p) {
             p.setPart("");
             p.setReturnStackSize("abc");
         },
         false, 3, "\"Return Stack Size\" not a valid number!"},
        {[](Project&) {}, true, 2, kDeviceNotSet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Project project = demoProject();
        c.prepare(project);
        project.setDirty(false);
        initWith(project);
        hub->logs.clear();
        OptionsChange::setNewProject(c.newProject);
        ModalRunner::setUnattended(true);
        const Pass asShown = c.newProject ? Pass(cancel) : accepted;
        expectSheets({asShown, asShown, asShown});

        EXPECT_EQ(plugin->changeOptions(), E_FAIL);

        EXPECT_EQ(sheetsShown(), c.sheets);
        EXPECT_EQ(logMessages(2), Strings{c.message});
        EXPECT_FALSE(plugin->project().isDirty()) << "committed";
    }

    // A user may press OK on the same failure again.
    ModalRunner::setUnattended(false);
    OptionsChange::setNewProject(false);
    plugin->project().setReturnStackSize("abc");
    expectSheets({accepted, accepted, [](Sheet& sheet) {
                      setText(target(sheet), "returnStackSize", "16");
                      return accept(sheet);
                  }});
    EXPECT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_EQ(sheetsShown(), 3);
}

TEST_F(OptionsChangeTest, ObjectFileDirtyIsSentOnlyForState1) {
    initWith();
    for (const std::int16_t state : {0, 1, 2}) {
        SCOPED_TRACE(state);
        works.objectFileState = state;
        hub->events.clear();
        hub->logs.clear();
        expectSheets({accepted});
        ASSERT_EQ(plugin->changeOptions(), S_OK);
        const bool sent = state == 1;
        ASSERT_EQ(hub->events.size(), sent ? 1U : 0U);
        if (sent) {
            EXPECT_EQ(hub->events[0].number, 58);
            EXPECT_EQ(hub->events[0].text, "");
        }
        EXPECT_EQ(
            hub->logged(3, "Zuzozuduvuruva::changeOptions()", "Sent AVREVENT_OBJECTFILE_DIRTY"),
            sent);
    }
}

TEST_F(OptionsChangeTest, AnExternalMakefileIsAddedToAndRemovedFromTheProject) {
    drive.write("work/demo/Makefile", "all:\n");
    const Pass useMakefile = [](Sheet& sheet) {
        QWidget& page = general(sheet);
        click(page, "useExternalMakefileCheck");
        setText(page, "externalMakefileEdit", "C:\\work\\demo\\Makefile");
        return accept(sheet);
    };
    const auto listed = [this] {
        const Strings files = documentFiles();
        return std::count(files.begin(), files.end(), "Makefile");
    };

    // Added through the tree, once only; and taken out again though the tree no longer shows
    // it after its refresh.
    openProject();
    expectSheets({useMakefile, accepted, [](Sheet& sheet) {
                      click(general(sheet), "useExternalMakefileCheck");
                      return accept(sheet);
                  }});
    ASSERT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_TRUE(plugin->tree()->containsFile("C:\\work\\demo\\Makefile"));
    EXPECT_EQ(listed(), 1);
    ASSERT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_EQ(fullNames(plugin->project().otherFiles()), Strings{"Makefile"});
    ASSERT_EQ(plugin->changeOptions(), S_OK);
    EXPECT_TRUE(plugin->project().otherFiles().empty());
    EXPECT_EQ(listed(), 0);
}

TEST_F(OptionsChangeTest, AFailureInsideIsShownLoggedAndNotUndone) {
    openProject();
    expectSheets({[this](Sheet&) -> int {
        plugin->project().setReturnStackSize("77");
        throw std::runtime_error("the sheet broke");
    }});

    EXPECT_EQ(plugin->ExecuteCommand(Zuzozuduvuruva::kOptions), E_FAIL);

    ASSERT_EQ(messageTexts(), Strings{"the sheet broke"});
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    EXPECT_TRUE(logged(2, "the sheet broke"));
    EXPECT_EQ(plugin->project().returnStackSize(), "77");
}

} // namespace
} // namespace avrtazu::test
