#include "plugin/plugin_fixture.h"

#include "plugin/options_change.h"

#include <filesystem>
#include <string>

namespace avrtazu::test {
namespace {

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

} // namespace
} // namespace avrtazu::test
