#include "plugin/plugin_fixture.h"

#include "model/device_catalog.h"
#include "plugin/options_change.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"
#include "ui/target_option_dlg.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {
namespace {

using Sheet = CProjectPropertiesSheet;

// The plug-in object's way into the options change: command 5, the tree's menu and the host's
// new-project event.
class OptionsDispatchTest : public PluginFixture {
protected:
    OptionsDispatchTest() {
        std::string parts;
        for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
            parts += DeviceCatalog::device(row).name + "\r\n";
        }
        drive.write("studio/AvrStudioPlugin/tazusupportedparts.txt", parts);
        works.studioDirectory = "C:\\studio\\";
    }
    ~OptionsDispatchTest() override {
        ModalRunner::setHook({});
        OptionsChange::setNewProject(false);
    }

    // Runs `user` on each sheet that opens, counting them.
    void onSheet(std::function<int(Sheet&)> user) {
        ModalRunner::setHook([this, user](QDialog& dialog) {
            ++sheets;
            auto* sheet = qobject_cast<Sheet*>(&dialog);
            if (sheet == nullptr) {
                throw std::runtime_error("not the options sheet");
            }
            return user(*sheet);
        });
    }

    static int setStackAndAccept(Sheet& sheet, const std::string& size) {
        sheet.setActivePage(Sheet::TargetPage);
        sheet.targetPage()
            .findChild<QLineEdit*>(QStringLiteral("returnStackSize"))
            ->setText(QString::fromStdString(size));
        sheet.accept();
        return sheet.result();
    }

    int sheets = 0;
};

TEST_F(OptionsDispatchTest, OptionsCommandAndTreeMenuCommitThroughTheSheet) {
    openProject();
    const struct {
        const char* name;
        std::function<HRESULT(PluginFixture&)> request;
    } cases[] = {
        {"command 5", [](PluginFixture& f) { return f.plugin->ExecuteCommand(5); }},
        {"tree menu",
         [](PluginFixture& f) {
             auto menu = f.plugin->tree()->createContextMenu(f.plugin->tree()->rootItem());
             for (QAction* action : menu->actions()) {
                 if (action->text() == QStringLiteral("Edit project options...")) {
                     action->trigger();
                     return S_OK;
                 }
             }
             return E_FAIL;
         }},
    };
    int stack = 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string size = std::to_string(++stack);
        sheets = 0;
        onSheet([&](Sheet& sheet) { return setStackAndAccept(sheet, size); });
        EXPECT_EQ(c.request(*this), S_OK);
        EXPECT_EQ(sheets, 1);
        EXPECT_EQ(plugin->project().returnStackSize(), size);
        EXPECT_EQ(fakes::selectNode(hub->document,
                                    "/AVRStudio/AVRTAZUPLUGIN/CONFIGS/CONFIG/RETURNSTACKSIZE")
                      .child_value(),
                  size);
    }
}

TEST_F(OptionsDispatchTest, OptionsCommandGivesTheChangesResult) {
    openProject();
    onSheet([](Sheet&) -> int { throw std::runtime_error("the sheet broke"); });
    EXPECT_EQ(plugin->ExecuteCommand(5), E_FAIL);
    EXPECT_TRUE(logged(2, "the sheet broke"));

    onSheet([](Sheet& sheet) {
        sheet.reject();
        return sheet.result();
    });
    EXPECT_EQ(plugin->ExecuteCommand(5), S_OK);
}

TEST_F(OptionsDispatchTest, NewProjectEventSetsTheFlagAndRunsTheSetUp) {
    hub->document.load_string("<AVRStudio><MANAGEMENT><ProjectName>demo</ProjectName>"
                              "</MANAGEMENT><CODE_CREATION><SaveFolder>C:\\work\\demo\\"
                              "</SaveFolder></CODE_CREATION></AVRStudio>");
    hub->debugPartName = "ATtiny2313";
    ASSERT_EQ(plugin->Init(&works), S_OK);
    bool flagWhileShown = false;
    onSheet([&](Sheet& sheet) {
        flagWhileShown = OptionsChange::newProject();
        sheet.accept();
        return sheet.result();
    });

    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kNewProject, Bstr()), S_OK);

    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(flagWhileShown);
    EXPECT_FALSE(OptionsChange::newProject());
    EXPECT_TRUE(plugin->windowsCreated());
    EXPECT_EQ(plugin->project().part(), "ATtiny2313");
    EXPECT_EQ(plugin->project().programMemory(), "2048");
    EXPECT_EQ(plugin->project().textAddressWord(), "0x13");
}

} // namespace
} // namespace avrtazu::test
