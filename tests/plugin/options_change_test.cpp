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

using Change = std::function<void(Project&)>;

std::string state(const Project& p) {
    return "part " + p.part() + ", printf " + std::to_string(p.printfVersion()) +
           ", program type " + std::to_string(p.programType()) + ", stack " + p.returnStackSize() +
           ", dirty " + std::to_string(p.isDirty());
}

// Each check with its message and correction: the first sheet is accepted with a value that
// fails, the sheet opens again, a good value is typed in (unless the check corrected the value
// itself) and its OK commits. Values next to the limits pass at once.
TEST_F(PluginFixture, EachCheckShowsItsMessageAndReopensTheSheet) {
    const struct {
        // A control of the Target page with a bad and a good value, or none.
        const char* control;
        std::string bad, good;
        Change prepare = nullptr;
    } cases[] = {
        {nullptr, "", "", [](Project& p) { p.setPart(""); }},
        {"programMemory", "2k", "2048"},
        {"dataMemory", "", "128"},
        {"eeprom", "", "128"},
        {"textAddressWord", "x13", "0x13"},
        {"dataAddressByte", "", "0x60"},
        {"returnStackSize", "16 ", "16"},
        // Read as atoi reads it, a hexadecimal stack size is 0.
        {nullptr, "", "",
         [](Project& p) {
             p.setReturnStackSize("0x1E");
             p.setPrintfVersion(2);
         }},
        // The empty text is allowed here.
        {"unusedRomFillBytes", "0xFFG", ""},
        {nullptr, "", "",
         [](Project& p) {
             p.setProgramType(1);
             p.setBootSize("nOnE");
         }},
        // A listed device needs no EEPROM size.
        {nullptr, "", "",
         [](Project& p) {
             p.setReturnStackSize("30");
             p.setPrintfVersion(2);
             p.setProgramType(1);
             p.setBootSize("256 Words");
             p.setPart("ATMega16");
             p.setEeprom("");
         }},
    };
    std::string text;
    for (const auto& c : cases) {
        Project project = demoProject();
        if (c.prepare) {
            c.prepare(project);
        }
        project.setDirty(false);
        initWith(project);
        clearRecords();
        const auto pass = [&](const std::string& value) {
            return [&, value](Sheet& sheet) {
                text += "sheet: " + state(plugin->project()) + "\n";
                if (c.control != nullptr) {
                    uitest::type(target(sheet), c.control, value);
                }
                return accept(sheet);
            };
        };
        expectSheets({pass(c.bad), pass(c.good)});
        const HRESULT result = plugin->changeOptions();
        text += std::string(c.control ? c.control : "") + " '" + c.bad + "' => " +
                (result == S_OK ? "S_OK" : "E_FAIL") + "; " + state(plugin->project()) + "\n" +
                seen() + "\n";
    }
    expectGolden("options_checks.txt", text);
}

// A cancel puts back the copy taken at the start (a project the host has just created is not
// put back: it must not be left without a device).
TEST_F(PluginFixture, CancelPutsTheProjectBackExactly) {
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
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(saved(), before);
}

// With nobody at the sheet, a failure that comes back unchanged ends the change; another
// failure after a corrected one does not, nor does a user's second OK on the same failure.
// Event 58 goes out when the host has the object file loaded (state 1). A failure inside is
// shown, logged and not undone. An external Makefile comes into the project and goes again.
TEST_F(PluginFixture, TheOptionsChangeAsTheHostSeesIt) {
    std::string text;
    const auto change = [&](const std::string& name, std::vector<Pass> passes) {
        expectSheets(std::move(passes));
        const HRESULT result = plugin->changeOptions();
        text += name + " => " + (result == S_OK ? "S_OK" : "E_FAIL") + "; " +
                state(plugin->project()) + "\n" + seen() + "\n";
    };
    Project project = demoProject();
    project.setPart("");
    project.setReturnStackSize("abc");
    project.setDirty(false);
    initWith(project);
    clearRecords();
    ModalRunner::setUnattended(true);
    change("unattended, two failures", {accept, accept, accept});
    initWith();
    OptionsChange::setNewProject(true);
    const Pass changedAndCancelled = [this](Sheet& sheet) {
        plugin->project().setReturnStackSize("40");
        return cancel(sheet);
    };
    change("unattended, a new project changed and cancelled",
           {changedAndCancelled, cancel, cancel});
    OptionsChange::setNewProject(true);
    change("a new project cancelled, then accepted", {cancel, accept});
    ModalRunner::setUnattended(false);
    OptionsChange::setNewProject(false);
    plugin->project().setReturnStackSize("abc");
    change("a user's OK on the same failure", {accept, accept, [](Sheet& sheet) {
                                                   uitest::type(target(sheet), "returnStackSize",
                                                                "16");
                                                   return accept(sheet);
                                               }});
    for (const std::int16_t objectFileState : {0, 1, 2}) {
        works.objectFileState = objectFileState;
        change("object file state " + std::to_string(objectFileState), {accept});
    }
    expectSheets({[this](Sheet&) -> int {
        plugin->project().setReturnStackSize("77");
        throw std::runtime_error("the sheet broke");
    }});
    const HRESULT broken = plugin->ExecuteCommand(Zuzozuduvuruva::kOptions);
    text += "failure inside => " + std::to_string(broken == E_FAIL) + "; " +
            state(plugin->project()) + "\n" + seen() + "\n";

    // Added through the tree, once only; and taken out again though the tree no longer shows
    // it after its refresh.
    drive.write("work/demo/Makefile", "all:\n");
    plugin = std::make_unique<Zuzozuduvuruva>();
    openProject();
    clearRecords();
    const auto makefile = [&](const std::string& name, std::vector<Pass> passes) {
        change(name, std::move(passes));
        const Strings files = documentFiles();
        text += "in the tree " +
                std::to_string(plugin->tree()->containsFile("C:\\work\\demo\\Makefile")) +
                ", in the document " +
                std::to_string(std::count(files.begin(), files.end(), "Makefile")) +
                ", other files " + std::to_string(plugin->project().otherFiles().size()) + "\n";
    };
    makefile("external Makefile on", {[](Sheet& sheet) {
                 QWidget& page = general(sheet);
                 click(page, "useExternalMakefileCheck");
                 uitest::type(page, "externalMakefileEdit", "C:\\work\\demo\\Makefile");
                 return accept(sheet);
             }});
    makefile("accepted again", {accept});
    makefile("external Makefile off", {[](Sheet& sheet) {
                 click(general(sheet), "useExternalMakefileCheck");
                 return accept(sheet);
             }});
    expectGolden("options_change.txt", text);
}

} // namespace
} // namespace avrtazu::test
