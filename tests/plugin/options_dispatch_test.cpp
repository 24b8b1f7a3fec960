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

namespace avrtazu::test {
namespace {

using Sheet = CProjectPropertiesSheet;

// The plug-in object's ways into the options change: command 5, the tree's menu and the host's
// new-project event. Each sheet that opens runs `user`.
class OptionsDispatchTest : public PluginFixture {
protected:
    OptionsDispatchTest() {
        std::string parts;
        for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
            parts += DeviceCatalog::device(row).name + "\r\n";
        }
        drive.write("studio/AvrStudioPlugin/tazusupportedparts.txt", parts);
        works.studioDirectory = "C:\\studio\\";
        ModalRunner::setHook([this](QDialog& dialog) {
            ++sheets;
            flagWhileShown = OptionsChange::newProject();
            return user(*qobject_cast<Sheet*>(&dialog));
        });
    }
    ~OptionsDispatchTest() override {
        ModalRunner::setHook({});
        OptionsChange::setNewProject(false);
    }

    std::function<int(Sheet&)> user;
    int sheets = 0;
    bool flagWhileShown = false;
};

TEST_F(OptionsDispatchTest, OptionsCommandAndTreeMenuRunTheChange) {
    openProject();
    user = [](Sheet& sheet) {
        sheet.setActivePage(Sheet::TargetPage);
        sheet.targetPage().findChild<QLineEdit*>("returnStackSize")->setText("41");
        sheet.accept();
        return sheet.result();
    };
    EXPECT_EQ(plugin->ExecuteCommand(5), S_OK);
    EXPECT_EQ(plugin->project().returnStackSize(), "41");
    EXPECT_EQ(
        fakes::selectNode(hub->document, "/AVRStudio/AVRTAZUPLUGIN/CONFIGS/CONFIG/RETURNSTACKSIZE")
            .child_value(),
        std::string("41"));

    auto menu = plugin->tree()->createContextMenu(plugin->tree()->rootItem());
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Edit project options...")) {
            action->trigger();
        }
    }
    EXPECT_EQ(sheets, 2);

    user = [](Sheet&) -> int { throw std::runtime_error("the sheet broke"); };
    EXPECT_EQ(plugin->ExecuteCommand(5), E_FAIL);
    EXPECT_TRUE(logged(2, "the sheet broke"));
}

TEST_F(OptionsDispatchTest, NewProjectEventSetsTheFlagAndRunsTheSetUp) {
    hub->document.load_string("<AVRStudio><MANAGEMENT><ProjectName>demo</ProjectName>"
                              "</MANAGEMENT></AVRStudio>");
    hub->debugPartName = "ATtiny2313";
    ASSERT_EQ(plugin->Init(&works), S_OK);
    user = [](Sheet& sheet) {
        sheet.accept();
        return sheet.result();
    };

    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kNewProject, Bstr()), S_OK);

    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(flagWhileShown);
    EXPECT_FALSE(OptionsChange::newProject());
    EXPECT_TRUE(plugin->windowsCreated());
    EXPECT_EQ(plugin->project().part(), "ATtiny2313");
    EXPECT_EQ(plugin->project().programMemory(), "2048");
}

} // namespace
} // namespace avrtazu::test
