#pragma once

#include "services/plug_in_utility.h"

#include "golden.h"
#include "model/project.h"
#include "persistence/xml_host_support.h"
#include "platform/scripted_dialog_service.h"
#include "platform/temp_drive.h"
#include "plugin/zuzozuduvuruva.h"
#include "services/fake_host_support.h"
#include "ui/general_property_page.h"
#include "ui/project_properties_sheet.h"
#include "ui/target_option_dlg.h"
#include "ui/ui_test_support.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {

using Strings = std::vector<std::string>;
using uitest::click;
using uitest::control;

// The plug-in object as a host drives it, on a scratch drive C: with a recording host, a hub
// that owns the host's project document, the scripted dialogs, an empty registry and a docked
// window the host hands out. The project "demo" lives in C:\work\demo\ (main.c, src\uart.c and
// main.h on disk; configuration "default" building demo.cof); its tools in C:\tools\bin record
// each make call and create the files a build or target makes. Each options sheet that opens
// runs the next pass the test expects; one more fails the test and ends the options change.
class PluginFixture : public ::testing::Test {
public:
    using Sheet = CProjectPropertiesSheet;
    using Pass = std::function<int(Sheet&)>;

    PluginFixture();
    ~PluginFixture() override;

    static Project demoProject();
    // The host's document: its own sections, and the plug-in's written from `project` if given.
    void writeDocument(const Project* project);
    // Init, then event 101 on the document of `project`.
    void openProject(const Project& project = demoProject()) {
        writeDocument(&project);
        ASSERT_EQ(plugin->Init(&works), S_OK);
        ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    }
    // Init only, then the project is set: no windows, no host document read.
    void initWith(const Project& project = demoProject()) {
        ASSERT_EQ(plugin->Init(&works), S_OK);
        plugin->project() = project;
    }
    // Forgets what host, hub, dialogs and tools recorded.
    void clearRecords();
    // Everything the host, hub, dialogs and tools saw since the records were last cleared, a
    // line each (the build output and the log but its warnings and errors left out); then clears
    // the records.
    std::string seen();

    void expectSheets(std::vector<Pass> passes) {
        m_passes = std::move(passes);
        m_next = 0;
        m_shown = 0;
    }
    int sheetsShown() const { return m_shown; }

    // The files of the plug-in's section of the host's document.
    Strings documentFiles() const {
        return fakes::childTexts(fakes::selectNode(hub->document, "//FILES"));
    }
    // Makes the project folder the current one, as the host does, until the test ends.
    void enterProjectFolder(const std::string& relative = "work/demo");

    // Pass steps.
    static int accept(Sheet& sheet) {
        click(sheet, "okButton");
        return sheet.result();
    }
    static int cancel(Sheet& sheet) {
        click(sheet, "cancelButton");
        return sheet.result();
    }
    static QWidget& target(Sheet& sheet) {
        sheet.setActivePage(Sheet::TargetPage);
        return sheet.targetPage();
    }
    static QWidget& general(Sheet& sheet) {
        sheet.setActivePage(Sheet::GeneralPage);
        return sheet.generalPage();
    }

    TempDrive drive{'C'};
    std::shared_ptr<fakes::XmlHub> hub = std::make_shared<fakes::XmlHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    QWidget dock;
    std::unique_ptr<Zuzozuduvuruva> plugin;

private:
    std::string documentText() const {
        std::ostringstream text;
        hub->document.save(text);
        return text.str();
    }

    std::string m_startFolder;
    std::string m_documentSeen;
    std::vector<Pass> m_passes;
    std::size_t m_next = 0;
    // Sheets shown since the records were last cleared.
    int m_shown = 0;
};

} // namespace avrtazu::test
