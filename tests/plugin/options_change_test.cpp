#include "plugin/options_fixture.h"

#include "model/configuration.h"
#include "plugin/options_change.h"
#include "ui/modal_runner.h"

#include <QComboBox>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {
namespace {

using Sheet = CProjectPropertiesSheet;
using OptionsChangeTest = OptionsFixture;

constexpr long kDebug = 3;
constexpr long kError = 2;

std::string deviceShown(Sheet& sheet) {
    QComboBox* list = OptionsFixture::target(sheet).findChild<QComboBox*>(QStringLiteral("part"));
    return list == nullptr ? std::string("(no device list)") : list->currentText().toStdString();
}

// Every setting of every configuration, the files and the project-level values.
void expectSameProject(const Project& actual, const Project& expected) {
    EXPECT_EQ(actual.name(), expected.name());
    EXPECT_EQ(actual.homePath(), expected.homePath());
    EXPECT_EQ(actual.usesExtMakefile(), expected.usesExtMakefile());
    EXPECT_EQ(actual.extMakefile(), expected.extMakefile());
    EXPECT_EQ(actual.usesTazuAvr(), expected.usesTazuAvr());
    EXPECT_EQ(actual.tazuLocation(), expected.tazuLocation());
    EXPECT_EQ(actual.makeLocation(), expected.makeLocation());
    EXPECT_EQ(OptionsFixture::fullNames(actual.srcFiles()),
              OptionsFixture::fullNames(expected.srcFiles()));
    EXPECT_EQ(OptionsFixture::fullNames(actual.hdrFiles()),
              OptionsFixture::fullNames(expected.hdrFiles()));
    EXPECT_EQ(OptionsFixture::fullNames(actual.otherFiles()),
              OptionsFixture::fullNames(expected.otherFiles()));
    EXPECT_EQ(actual.currentConfigName(), expected.currentConfigName());
    ASSERT_EQ(actual.configs().size(), expected.configs().size());
    for (const auto& [name, wanted] : expected.configs()) {
        const auto found = actual.configs().find(name);
        ASSERT_NE(found, actual.configs().end()) << name;
        const Configuration& got = found->second;
#define AVRTAZU_EXPECT_SETTING(T, get, set, def, projectMessage, projectSetter)                    \
    EXPECT_EQ(got.get(), wanted.get()) << #get << " of " << name;
        AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_EXPECT_SETTING)
#undef AVRTAZU_EXPECT_SETTING
#define AVRTAZU_EXPECT_LIST(getter, adder, clearer, emptyMessage, projectClearMessage)             \
    EXPECT_EQ(got.getter(), wanted.getter()) << #getter << " of " << name;
        AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_EXPECT_LIST)
#undef AVRTAZU_EXPECT_LIST
        EXPECT_EQ(got.options(), wanted.options()) << "options of " << name;
    }
}

TEST(OptionsFieldCheck, NumbersAreWhatStrtolReadsWhole) {
    const struct {
        const char* text;
        bool number;
    } cases[] = {
        {"1024", true}, {"0x1E", true}, {"0X1e", true},   {"010", true},  {"-5", true},
        {"+7", true},   {"  12", true}, {"0", true},      {"08", false},  {"12 ", false},
        {"", false},    {" ", false},   {"0x", false},    {"12k", false}, {"1e3", false},
        {"abc", false}, {"-", false},   {"0xFFG", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OptionsChange::isNumber(c.text), c.number) << '"' << c.text << '"';
    }
}

TEST(OptionsFieldCheck, MessagesNameTheField) {
    EXPECT_EQ(OptionsChange::fieldProblem("", "EEPROM", false), "\"EEPROM\" must not be empty");
    EXPECT_EQ(OptionsChange::fieldProblem("", "Unused ROM Fill Bytes", true), std::nullopt);
    EXPECT_EQ(OptionsChange::fieldProblem("1O", "Data Memory", true),
              "\"Data Memory\" not a valid number!");
    EXPECT_EQ(OptionsChange::fieldProblem("0x60", "Data Address (Byte)", false), std::nullopt);
}

// Each check with its message and correction: the first sheet takes a value that fails, the
// sheet opens again showing the values as corrected, and its OK then commits.
TEST_F(OptionsChangeTest, EachCheckShowsItsMessageAndReopensTheSheet) {
    struct Case {
        const char* name;
        std::function<void(Project&)> prepare;
        std::function<void(Sheet&)> enter;
        std::string message;
        // Looks at the second sheet before its OK; may put a good value in.
        std::function<void(Sheet&, const Project&)> reopened;
    };
    const auto field = [](const char* control, std::string bad, std::string good) {
        return std::make_pair(
            std::function<void(Sheet&)>(
                [=](Sheet& sheet) { setText(target(sheet), control, bad); }),
            std::function<void(Sheet&, const Project&)>([=](Sheet& sheet, const Project&) {
                EXPECT_EQ(text(target(sheet), control), bad) << "no correction of " << control;
                setText(target(sheet), control, good);
            }));
    };
    const auto fieldCase = [&](const char* name, const char* control, std::string bad,
                               std::string good, std::string message) {
        auto [enter, reopened] = field(control, bad, good);
        return Case{name, nullptr, enter, message, reopened};
    };

    const std::vector<Case> cases = {
        {"1 empty device",
         [](Project& p) {
             p.setPart("");
             p.setOptionTabIndex(Sheet::GeneralPage);
         },
         nullptr, OptionsChange::kEmptyDevice,
         [](Sheet& sheet, const Project& p) {
             EXPECT_EQ(p.part(), "Custom");
             EXPECT_EQ(deviceShown(sheet), "Custom");
         }},
        fieldCase("2 program memory empty", "programMemory", "", "2048",
                  "\"Program Memory\" must not be empty"),
        fieldCase("2 program memory not a number", "programMemory", "2k", "2048",
                  "\"Program Memory\" not a valid number!"),
        fieldCase("3 data memory", "dataMemory", "0x", "128",
                  "\"Data Memory\" not a valid number!"),
        fieldCase("4 eeprom of Custom", "eeprom", "", "128", "\"EEPROM\" must not be empty"),
        fieldCase("5 text address", "textAddressWord", "x13", "0x13",
                  "\"Text Address (Word)\" not a valid number!"),
        fieldCase("6 data address", "dataAddressByte", "", "0x60",
                  "\"Data Address (Byte)\" must not be empty"),
        fieldCase("7 return stack", "returnStackSize", "16 ", "16",
                  "\"Return Stack Size\" not a valid number!"),
        {"8 float printf with 20 bytes", nullptr,
         [](Sheet& sheet) {
             setText(target(sheet), "returnStackSize", "20");
             click(target(sheet), "printfFloat");
         },
         OptionsChange::kStackTooSmall,
         [](Sheet& sheet, const Project& p) {
             EXPECT_EQ(p.printfVersion(), 0);
             EXPECT_TRUE(checked(target(sheet), "printfSmall"));
             EXPECT_EQ(text(target(sheet), "returnStackSize"), "20");
         }},
        {"8 long printf with a hexadecimal stack", nullptr,
         [](Sheet& sheet) {
             setText(target(sheet), "returnStackSize", "0x1E");
             click(target(sheet), "printfLong");
         },
         OptionsChange::kStackTooSmall,
         [](Sheet& sheet, const Project& p) {
             EXPECT_EQ(p.printfVersion(), 0);
             EXPECT_TRUE(checked(target(sheet), "printfSmall"));
         }},
        fieldCase("9 fill bytes", "unusedRomFillBytes", "0xFFG", "",
                  "\"Unused ROM Fill Bytes\" not a valid number!"),
        {"10 boot loader without a boot size", nullptr,
         [](Sheet& sheet) {
             click(target(sheet), "bootLoader");
             select(target(sheet), "bootSize", "None");
         },
         OptionsChange::kBootSizeNone,
         [](Sheet& sheet, const Project& p) {
             EXPECT_EQ(p.programType(), 0);
             EXPECT_TRUE(checked(target(sheet), "application"));
         }},
        {"10 boot size none in mixed case",
         [](Project& p) {
             p.setProgramType(1);
             p.setBootSize("nOnE");
             p.setOptionTabIndex(Sheet::GeneralPage);
         },
         nullptr, OptionsChange::kBootSizeNone,
         [](Sheet&, const Project& p) { EXPECT_EQ(p.programType(), 0); }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project = demoProject();
        project.setOptionTabIndex(Sheet::TargetPage);
        if (c.prepare) {
            c.prepare(project);
        }
        dialogs.clear();
        expectSheets({[&](Sheet& sheet) {
                          if (c.enter) {
                              c.enter(sheet);
                          }
                          return accept(sheet);
                      },
                      [&](Sheet& sheet) {
                          EXPECT_EQ(messageTexts(), std::vector<std::string>{c.message});
                          c.reopened(sheet, project);
                          return accept(sheet);
                      }});

        EXPECT_EQ(changeOptions(), S_OK);

        EXPECT_EQ(sheetsShown(), 2);
        ASSERT_EQ(messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Error);
        EXPECT_TRUE(project.isDirty()) << "not committed";
    }
}

// Values next to the limits pass, and a listed device needs no EEPROM size.
TEST_F(OptionsChangeTest, ValuesThatPassCommitAtOnce) {
    const std::function<void(Sheet&)> cases[] = {
        [](Sheet& s) {
            setText(target(s), "returnStackSize", "30");
            click(target(s), "printfFloat");
        },
        [](Sheet& s) {
            click(target(s), "bootLoader");
            select(target(s), "bootSize", "256 Words");
        },
        [](Sheet& s) {
            select(target(s), "part", "ATMega16");
            setText(target(s), "eeprom", "");
        },
    };
    for (const auto& enter : cases) {
        project = demoProject();
        dialogs.clear();
        expectSheets({[&](Sheet& sheet) {
            enter(sheet);
            return accept(sheet);
        }});
        EXPECT_EQ(changeOptions(), S_OK);
        EXPECT_EQ(sheetsShown(), 1);
        EXPECT_EQ(messageTexts(), std::vector<std::string>{});
    }
}

TEST_F(OptionsChangeTest, CancelPutsTheProjectBackExactly) {
    project = fakes::richProject();
    const Project before = project;
    expectSheets({[&](Sheet& sheet) {
        // What the pages write while the sheet is open, and more.
        QWidget& page = general(sheet);
        click(page, "useExternalMakefileCheck");
        setText(page, "outputFileNameEdit", "changed.cof");
        page.findChild<QComboBox*>(QStringLiteral("configurationCombo"))->setCurrentIndex(0);
        setText(target(sheet), "returnStackSize", "99");
        project.setReturnStackSize("99");
        project.setPart("ATMega16");
        project.addSrcFile(SourceFile("extra.c"));
        project.removeOtherFile("notes.txt");
        project.addIncludeDirectory("C:\\more");
        project.setOptions("main.c", "-O0");
        return cancel(sheet);
    }});

    EXPECT_EQ(changeOptions(), S_OK);

    EXPECT_EQ(sheetsShown(), 1);
    EXPECT_TRUE(messageTexts().empty());
    expectSameProject(project, before);
}

TEST_F(OptionsChangeTest, NewProjectCannotBeCancelled) {
    OptionsChange::setNewProject(true);
    expectSheets({[&](Sheet& sheet) {
                      project.setReturnStackSize("40");
                      return cancel(sheet);
                  },
                  [](Sheet& sheet) {
                      // Not put back: the sheet shows what the first one left.
                      EXPECT_EQ(text(target(sheet), "returnStackSize"), "40");
                      return accept(sheet);
                  }});

    EXPECT_EQ(changeOptions(), S_OK);

    EXPECT_EQ(sheetsShown(), 2);
    ASSERT_EQ(messageTexts(), std::vector<std::string>{OptionsChange::kDeviceNotSet});
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    EXPECT_FALSE(OptionsChange::newProject()) << "the commit clears the flag";
    EXPECT_EQ(project.returnStackSize(), "40");
}

// With nobody at the sheet, a failure that comes back unchanged ends the change.
TEST_F(OptionsChangeTest, WithoutAUserARepeatedFailureEndsTheChange) {
    struct Case {
        const char* name;
        std::function<void(Project&)> prepare;
        bool newProject;
        int passes;
        std::string message;
        HRESULT result;
    };
    const std::vector<Case> cases = {
        {"field that fails again", [](Project& p) { p.setReturnStackSize("abc"); }, false, 2,
         "\"Return Stack Size\" not a valid number!", E_FAIL},
        {"printf corrected on the first pass",
         [](Project& p) {
             p.setReturnStackSize("20");
             p.setPrintfVersion(2);
         },
         false, 2, OptionsChange::kStackTooSmall, S_OK},
        {"new project cancelled twice", [](Project&) {}, true, 2, OptionsChange::kDeviceNotSet,
         E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project = demoProject();
        c.prepare(project);
        project.setDirty(false);
        dialogs.clear();
        hub->logs.clear();
        OptionsChange::setNewProject(c.newProject);
        ModalRunner::setUnattended(true);
        const Pass asShown = [&](Sheet& sheet) {
            return c.newProject ? cancel(sheet) : accept(sheet);
        };
        expectSheets({asShown, asShown});

        EXPECT_EQ(changeOptions(), c.result);

        EXPECT_EQ(sheetsShown(), c.passes);
        EXPECT_EQ(messageTexts().front(), c.message);
        EXPECT_EQ(logged(kError, c.message), c.result == E_FAIL);
        EXPECT_EQ(project.isDirty(), c.result == S_OK) << "committed";
    }
}

TEST_F(OptionsChangeTest, AUserMayPressOkOnTheSameFailureAgain) {
    project.setReturnStackSize("abc");
    const Pass asShown = [](Sheet& sheet) { return accept(sheet); };
    expectSheets({asShown, asShown, [](Sheet& sheet) {
                      setText(target(sheet), "returnStackSize", "16");
                      return accept(sheet);
                  }});
    EXPECT_EQ(changeOptions(), S_OK);
    EXPECT_EQ(sheetsShown(), 3);
}

TEST_F(OptionsChangeTest, ObjectFileDirtyIsSentOnlyForState1) {
    for (const std::int16_t state : {0, 1, 2, -1}) {
        SCOPED_TRACE(state);
        works.objectFileState = state;
        hub->events.clear();
        hub->logs.clear();
        expectSheets({[](Sheet& sheet) { return accept(sheet); }});
        ASSERT_EQ(changeOptions(), S_OK);
        const bool sent = state == 1;
        ASSERT_EQ(hub->events.size(), sent ? 1u : 0u);
        if (sent) {
            EXPECT_EQ(hub->events[0].number, 58);
            EXPECT_EQ(hub->events[0].text, "");
        }
        EXPECT_EQ(logged(kDebug, OptionsChange::kContext, OptionsChange::kObjectFileDirtySent),
                  sent);
    }
}

TEST_F(OptionsChangeTest, ExternalMakefileIsAddedAndRemovedInTheTree) {
    // The tree shows other files again only when they exist and lie in an output directory;
    // the Makefile is taken out of the project either way.
    const struct {
        const char* relative;
        const char* path;
        const char* stored;
        bool shownAfterRefresh;
    } cases[] = {
        {"build/default/Makefile", "C:\\build\\default\\Makefile", "C:\\build\\default\\Makefile",
         true},
        {"work/demo/Makefile", "C:\\work\\demo\\Makefile", "Makefile", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        project = demoProject();
        tree = std::make_unique<CProjectTree>(project, commands);
        ASSERT_EQ(showTree(), S_OK);
        drive.write(c.relative, "all:\n");
        const std::string path = c.path;

        expectSheets({[&](Sheet& sheet) {
            QWidget& page = general(sheet);
            click(page, "useExternalMakefileCheck");
            setText(page, "externalMakefileEdit", path);
            return accept(sheet);
        }});
        ASSERT_EQ(changeOptions(), S_OK);
        EXPECT_EQ(fullNames(project.otherFiles()), std::vector<std::string>{c.stored});
        EXPECT_EQ(itemTexts(tree->otherGroup()), std::vector<std::string>{"Makefile"});
        Project stored;
        ASSERT_EQ(xml->XMLToProject(stored), S_OK);
        EXPECT_EQ(fullNames(stored.otherFiles()), std::vector<std::string>{c.stored});

        // Options changed again with the Makefile still in use: nothing added twice.
        expectSheets({[](Sheet& sheet) { return accept(sheet); }});
        ASSERT_EQ(changeOptions(), S_OK);
        EXPECT_EQ(fullNames(project.otherFiles()), std::vector<std::string>{c.stored});
        EXPECT_EQ(itemTexts(tree->otherGroup()).size(), c.shownAfterRefresh ? 1u : 0u);

        expectSheets({[](Sheet& sheet) {
            click(general(sheet), "useExternalMakefileCheck");
            return accept(sheet);
        }});
        ASSERT_EQ(changeOptions(), S_OK);
        EXPECT_TRUE(project.otherFiles().empty());
        EXPECT_TRUE(itemTexts(tree->otherGroup()).empty());
        Project after;
        ASSERT_EQ(xml->XMLToProject(after), S_OK);
        EXPECT_TRUE(after.otherFiles().empty());
    }
}

TEST_F(OptionsChangeTest, ExternalMakefileWithoutATreeWindowGoesIntoTheProject) {
    drive.write("work/demo/Makefile", "all:\n");
    expectSheets({[](Sheet& sheet) {
        QWidget& page = general(sheet);
        click(page, "useExternalMakefileCheck");
        setText(page, "externalMakefileEdit", "C:\\work\\demo\\Makefile");
        return accept(sheet);
    }});
    ASSERT_EQ(changeOptions(), S_OK);
    EXPECT_EQ(fullNames(project.otherFiles()), std::vector<std::string>{"Makefile"});
    EXPECT_FALSE(logged(kError, "Error adding source file"));
}

TEST_F(OptionsChangeTest, AFailureInsideIsShownLoggedAndNotUndone) {
    expectSheets({[&](Sheet&) -> int {
        project.setReturnStackSize("77");
        throw std::runtime_error("Project::part(): Invalid active configuration");
    }});

    EXPECT_EQ(changeOptions(), E_FAIL);

    ASSERT_EQ(messageTexts(),
              std::vector<std::string>{"Project::part(): Invalid active configuration"});
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    EXPECT_TRUE(logged(kError, "Project::part(): Invalid active configuration"));
    EXPECT_EQ(project.returnStackSize(), "77");
}

} // namespace
} // namespace avrtazu::test
