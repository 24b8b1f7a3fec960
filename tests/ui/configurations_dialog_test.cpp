// Ahead of every Qt header, whose "emit" keyword macro would rewrite LogSink::emit.
#include "ui/option_page_fixture.h"

#include "ui/configurations_dialog.h"

#include "ui/modal_runner.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using pagetest::OptionPageTest;
using Names = std::vector<std::string>;

Names configurationNames(const Project& project) {
    Names names;
    for (const auto& [name, configuration] : project.configs()) {
        names.push_back(name);
    }
    return names;
}

class ConfigurationsDialogTest : public OptionPageTest {
protected:
    void SetUp() override {
        OptionPageTest::SetUp();
        project.addConfig(Configuration("Debug", "blink.o"));
    }
    void TearDown() override {
        ModalRunner::setHook({});
        OptionPageTest::TearDown();
    }

    void add(CConfigurationsDialog& dialog, const char* name) {
        control<QLineEdit>(dialog, "newName").setText(QString::fromLatin1(name));
        control<QPushButton>(dialog, "addConfiguration").click();
    }
    void select(CConfigurationsDialog& dialog, const std::string& name) {
        QListWidget& list = control<QListWidget>(dialog, "configurationList");
        const auto found = list.findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        list.setCurrentItem(found.front());
    }
    std::vector<std::string> shownMessages() const {
        std::vector<std::string> texts;
        for (const auto& message : dialogs.messages()) {
            texts.push_back(message.text);
        }
        return texts;
    }
};

TEST_F(ConfigurationsDialogTest, ListsTheProjectsConfigurationsSortedWithoutRegardToCase) {
    CConfigurationsDialog dialog(project);
    EXPECT_EQ(dialog.windowTitle(), "Edit Project Configurations");
    EXPECT_EQ(dialog.listedNames(), (Names{"Debug", "default", "release"}));

    add(dialog, "alpha");
    add(dialog, "Zeta");
    EXPECT_EQ(dialog.listedNames(), (Names{"alpha", "Debug", "default", "release", "Zeta"}));
}

TEST_F(ConfigurationsDialogTest, AddingChecksTheNameAgainstTheListCaseSensitively) {
    struct Case {
        const char* name;
        const char* message; // nullptr: the name is added
    };
    const Case cases[] = {
        {"", "The new configuration name is empty."},
        {"default", "A configuration with the name default already exists"},
        {"Default", nullptr},
        {"DEBUG", nullptr},
        {"debug ", nullptr},
        {"Debug", "A configuration with the name Debug already exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.name + "\"");
        dialogs.clear();
        CConfigurationsDialog dialog(project);
        const Names before = dialog.listedNames();
        add(dialog, c.name);

        if (c.message == nullptr) {
            EXPECT_TRUE(dialogs.messages().empty());
            EXPECT_EQ(dialog.listedNames().size(), before.size() + 1);
        } else {
            ASSERT_EQ(shownMessages(), Names{c.message});
            EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::Ok);
            EXPECT_EQ(dialog.listedNames(), before);
        }
        // The edit keeps its text and the project waits for OK.
        EXPECT_EQ(control<QLineEdit>(dialog, "newName").text(), c.name);
        EXPECT_EQ(configurationNames(project), (Names{"Debug", "default", "release"}));
    }
}

TEST_F(ConfigurationsDialogTest, AddingTheSameNameTwiceRefusesTheSecondTime) {
    CConfigurationsDialog dialog(project);
    add(dialog, "Flash");
    EXPECT_TRUE(dialogs.messages().empty());
    add(dialog, "Flash");
    EXPECT_EQ(shownMessages(), Names{"A configuration with the name Flash already exists"});
    EXPECT_EQ(dialog.listedNames(), (Names{"Debug", "default", "Flash", "release"}));
}

TEST_F(ConfigurationsDialogTest, OkCreatesTheAddedConfigurationsWithTheProjectsObjectFile) {
    // The object file follows the project's name, not an existing configuration's.
    project.setName("motor");
    project.setActiveConfiguration("release");
    project.setMacroDefinitions("KEEP=1");
    CConfigurationsDialog dialog(project);
    add(dialog, "Flash");
    add(dialog, "boot");
    control<QPushButton>(dialog, "ok").click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(configurationNames(project), (Names{"Debug", "Flash", "boot", "default", "release"}));
    const Configuration fresh("fresh");
    for (const char* name : {"Flash", "boot"}) {
        SCOPED_TRACE(name);
        const Configuration& created = project.configs().at(name);
        EXPECT_EQ(created.outputFileName(), "motor.o");
        EXPECT_EQ(created.part(), fresh.part());
        EXPECT_EQ(created.outputDir(), std::string(name) + "\\");
        EXPECT_EQ(created.macroDefinitions(), "");
        EXPECT_EQ(created.programMemory(), fresh.programMemory());
    }
    // Existing configurations and the active one are untouched.
    EXPECT_EQ(project.currentConfigName(), "release");
    EXPECT_EQ(project.macroDefinitions(), "KEEP=1");
}

TEST_F(ConfigurationsDialogTest, CancelDropsAdditionsButKeepsDeletions) {
    CConfigurationsDialog dialog(project);
    add(dialog, "Flash");
    select(dialog, "release");
    control<QPushButton>(dialog, "delete").click();
    control<QPushButton>(dialog, "cancel").click();

    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(configurationNames(project), (Names{"Debug", "default"}));
}

TEST_F(ConfigurationsDialogTest, DeleteActsOnTheProjectAtOnceAndReportsTheOutcome) {
    struct Case {
        const char* what;
        const char* selected; // nullptr: nothing selected
        bool removed;
        Names errors;
        Names infos;
    };
    const Case cases[] = {
        {"nothing selected", nullptr, false, {"Failed to remove configuration"}, {}},
        {"another configuration", "release", true, {}, {"Removed the release configuration."}},
        {"the active one",
         "default",
         false,
         {"Could not remove configuration: The active configuration can not be removed."},
         {"Failed to remove configuration"}},
        {"a name added in this run",
         "Flash",
         false,
         {"Could not remove configuration: No such configuration name"},
         {"Failed to remove configuration"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project edited = project;
        CConfigurationsDialog dialog(edited);
        add(dialog, "Flash");
        hub->logs.clear();
        const Names listed = dialog.listedNames();
        if (c.selected != nullptr) {
            select(dialog, c.selected);
        }
        control<QPushButton>(dialog, "delete").click();

        EXPECT_EQ(logLines(2), c.errors);
        EXPECT_EQ(logLines(0), c.infos);
        Names expectedList = listed;
        Names expectedProject = configurationNames(project);
        if (c.removed) {
            std::erase(expectedList, c.selected);
            std::erase(expectedProject, c.selected);
        }
        EXPECT_EQ(dialog.listedNames(), expectedList);
        EXPECT_EQ(configurationNames(edited), expectedProject);
        EXPECT_TRUE(dialogs.messages().empty());
    }
}

TEST_F(ConfigurationsDialogTest, DoModalRunsThroughTheModalRunner) {
    struct Case {
        const char* button;
        int result;
        Names configurations;
    };
    const Case cases[] = {
        {"ok", QDialog::Accepted, {"Debug", "Late", "default", "release"}},
        {"cancel", QDialog::Rejected, {"Debug", "default", "release"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Project edited = project;
        CConfigurationsDialog dialog(edited);
        ModalRunner::setHook([&](QDialog& shown) {
            add(dialog, "Late");
            control<QPushButton>(shown, c.button).click();
            return shown.result();
        });
        EXPECT_EQ(dialog.doModal(), c.result);
        EXPECT_EQ(configurationNames(edited), c.configurations);
    }
}

} // namespace
} // namespace avrtazu
