// Ahead of every Qt header, whose "emit" keyword macro would rewrite LogSink::emit.
#include "ui/option_page_fixture.h"

#include "ui/compiler_option.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using pagetest::OptionPageTest;

// The nine values the page edits, in a fixed order, as text.
enum Field {
    Strict,
    Extension,
    IntSizeEnum,
    CodeCompression,
    GlobalOptimizations,
    Macros,
    Undefines,
    Format,
    Ecasb
};
std::vector<std::string> compilerValues(const Project& project) {
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    return {flag(project.strictCheckings()),
            flag(project.extension()),
            flag(project.intSizeEnum()),
            flag(project.codeCompression()),
            flag(project.globalOptimizations()),
            project.macroDefinitions(),
            project.undefines(),
            project.outputFormat(),
            project.ecasb()};
}

class CompilerOptionTest : public OptionPageTest {
protected:
    void SetUp() override {
        OptionPageTest::SetUp();
        project.setStrictCheckings(true);
        project.setExtension(false);
        project.setIntSizeEnum(true);
        project.setCodeCompression(true);
        project.setGlobalOptimizations(false);
        project.setMacroDefinitions("F_CPU=8000000");
        project.setUndefines("NDEBUG");
        project.setOutputFormat("COFF");
        // A byte that is not UTF-8 must come back unchanged.
        project.setEcasb("avrdude -U flash:w:blink.hex \xFC");
    }

    QCheckBox& box(CCompilerOption& page, const char* name) {
        return control<QCheckBox>(page, name);
    }
    QLineEdit& edit(CCompilerOption& page, const char* name) {
        return control<QLineEdit>(page, name);
    }
};

TEST_F(CompilerOptionTest, FirstDisplayShowsTheActiveConfiguration) {
    CCompilerOption page(project);
    page.onSetActive();

    EXPECT_TRUE(page.isInitialised());
    EXPECT_TRUE(box(page, "strictCheckings").isChecked());
    EXPECT_FALSE(box(page, "extension").isChecked());
    EXPECT_TRUE(box(page, "intSizeEnum").isChecked());
    EXPECT_TRUE(box(page, "codeCompression").isChecked());
    EXPECT_FALSE(box(page, "globalOptimizations").isChecked());
    EXPECT_EQ(edit(page, "macroDefinitions").text(), "F_CPU=8000000");
    EXPECT_EQ(edit(page, "undefines").text(), "NDEBUG");
    EXPECT_EQ(control<QComboBox>(page, "outputFormat").currentText(), "COFF");
    EXPECT_EQ(box(page, "extension").text(), "Accept Extensions ( C++ comments, binary constants)");
    const QComboBox& formats = control<QComboBox>(page, "outputFormat");
    ASSERT_EQ(formats.count(), 3);
    EXPECT_EQ(formats.itemText(0), "HEX/COFF");
    EXPECT_EQ(formats.itemText(1), "COFF");
    EXPECT_EQ(formats.itemText(2), "Intel HEX");
}

TEST_F(CompilerOptionTest, HarvestWritesEachSwitchTheUserChangedAndNothingElse) {
    struct Case {
        const char* what;
        std::function<void(CCompilerOption&)> edit;
        Field field;
        std::string expected;
    };
    const Case cases[] = {
        {"strict off", [&](CCompilerOption& p) { box(p, "strictCheckings").click(); }, Strict, "0"},
        {"extensions on", [&](CCompilerOption& p) { box(p, "extension").click(); }, Extension, "1"},
        {"int enum off", [&](CCompilerOption& p) { box(p, "intSizeEnum").click(); }, IntSizeEnum,
         "0"},
        {"macros", [&](CCompilerOption& p) { edit(p, "macroDefinitions").setText("LED=2 X"); },
         Macros, "LED=2 X"},
        {"macros emptied", [&](CCompilerOption& p) { edit(p, "macroDefinitions").clear(); }, Macros,
         ""},
        {"undefines", [&](CCompilerOption& p) { edit(p, "undefines").setText("A B"); }, Undefines,
         "A B"},
        {"format",
         [&](CCompilerOption& p) { control<QComboBox>(p, "outputFormat").setCurrentIndex(2); },
         Format, "Intel HEX"},
        {"command",
         [&](CCompilerOption& p) { edit(p, "ecasb").setText(edit(p, "ecasb").text() + " -q"); },
         Ecasb, "avrdude -U flash:w:blink.hex \xFC -q"},
    };
    const std::vector<std::string> before = compilerValues(project);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project edited = project;
        CCompilerOption page(edited);
        page.onSetActive();
        c.edit(page);
        page.harvestDataFromControls(edited);

        std::vector<std::string> expected = before;
        expected[c.field] = c.expected;
        EXPECT_EQ(compilerValues(edited), expected);
    }
}

TEST_F(CompilerOptionTest, OutputFormatShowsTheFirstEntryBeginningWithTheStoredText) {
    struct Case {
        const char* stored;
        const char* shown;
        // What the project holds once a change elsewhere on the page re-reads the controls.
        const char* afterAnyChange;
    };
    const Case cases[] = {
        {"HEX/COFF", "HEX/COFF", "HEX/COFF"}, {"coff", "COFF", "COFF"},
        {"intel", "Intel HEX", "Intel HEX"},  {"", "HEX/COFF", "HEX/COFF"},
        {"hex", "HEX/COFF", "HEX/COFF"},      {"Motorola S", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        project.setOutputFormat(c.stored);
        Project untouched = project;
        CCompilerOption page(untouched);
        page.onSetActive();
        EXPECT_EQ(control<QComboBox>(page, "outputFormat").currentText(), c.shown);
        page.harvestDataFromControls(untouched);
        EXPECT_EQ(untouched.outputFormat(), c.stored);

        box(page, "strictCheckings").click();
        page.harvestDataFromControls(untouched);
        EXPECT_EQ(untouched.outputFormat(), c.afterAnyChange);
    }
}

TEST_F(CompilerOptionTest, HarvestBeforeThePageWasShownLeavesTheProjectAlone) {
    CCompilerOption page(project);
    project.setMacroDefinitions("CHANGED=1");
    project.setStrictCheckings(false);
    const std::vector<std::string> before = compilerValues(project);

    page.harvestDataFromControls(project);

    EXPECT_FALSE(page.isInitialised());
    EXPECT_EQ(compilerValues(project), before);
}

TEST_F(CompilerOptionTest, ActivationAfterAConfigurationSwitchShowsTheNewConfiguration) {
    CCompilerOption page(project);
    page.onSetActive();
    const std::vector<std::string> defaultValues = compilerValues(project);

    project.setActiveConfiguration("release");
    project.setMacroDefinitions("RELEASE=1");
    project.setOutputFormat("Intel HEX");
    page.onSetActive();
    EXPECT_EQ(edit(page, "macroDefinitions").text(), "RELEASE=1");
    EXPECT_EQ(control<QComboBox>(page, "outputFormat").currentText(), "Intel HEX");
    EXPECT_FALSE(box(page, "strictCheckings").isChecked());

    edit(page, "undefines").setText("OLD");
    page.harvestDataFromControls(project);
    EXPECT_EQ(project.undefines(), "OLD");
    EXPECT_EQ(project.macroDefinitions(), "RELEASE=1");
    project.setActiveConfiguration("default");
    EXPECT_EQ(compilerValues(project), defaultValues);
}

TEST_F(CompilerOptionTest, OptimisationSwitchesStayLockedAndPassTheirValuesThrough) {
    const std::pair<bool, bool> cases[] = {{true, false}, {false, true}, {true, true}};
    for (const auto& [compression, global] : cases) {
        SCOPED_TRACE(std::to_string(compression) + std::to_string(global));
        project.setCodeCompression(compression);
        project.setGlobalOptimizations(global);
        CCompilerOption page(project);
        for (const bool external : {false, true, false}) {
            page.setExternalMakefile(external);
            page.onSetActive();
            EXPECT_FALSE(box(page, "codeCompression").isEnabled());
            EXPECT_FALSE(box(page, "globalOptimizations").isEnabled());
        }
        box(page, "intSizeEnum").click();
        page.harvestDataFromControls(project);
        EXPECT_EQ(project.codeCompression(), compression);
        EXPECT_EQ(project.globalOptimizations(), global);
    }
}

TEST_F(CompilerOptionTest, ExternalMakefileLocksTheOtherControlsUntilItIsGivenUp) {
    const char* const editable[] = {
        "strictCheckings", "extension",    "intSizeEnum", "macroDefinitions",
        "undefines",       "outputFormat", "ecasb"};
    CCompilerOption page(project);
    page.onSetActive();
    for (const bool external : {true, false}) {
        page.setExternalMakefile(external);
        EXPECT_EQ(page.externalMakefile(), external);
        page.onSetActive();
        for (const char* name : editable) {
            SCOPED_TRACE(name);
            EXPECT_EQ(control<QWidget>(page, name).isEnabled(), !external);
        }
    }
}

TEST_F(CompilerOptionTest, FailuresInsideFillAndHarvestAreLoggedForDeveloperAndUser) {
    Project empty("broken", "C:\\broken\\");
    CCompilerOption broken(empty);
    EXPECT_EQ(logLines(3),
              std::vector<std::string>{"CCompilerOption::updateControlDataFromProject()|"
                                       "Project::strictCheckings(): Invalid active configuration"});
    EXPECT_EQ(logLines(2), std::vector<std::string>{
                               "Inconsistency in internal datastructures. Please restart AVR "
                               "Studio"});

    hub->logs.clear();
    CCompilerOption page(project);
    page.onSetActive();
    page.harvestDataFromControls(empty);
    EXPECT_EQ(logLines(3),
              std::vector<std::string>{"CCompilerOption::harvestDataFromControls()|"
                                       "Project::currentConfigName(): Invalid Configuration"});
    EXPECT_EQ(logLines(2).size(), 1u);
}

} // namespace
} // namespace avrtazu
