#pragma once

#include "services/plug_in_utility.h"

#include "model/project.h"
#include "persistence/xml_host_support.h"
#include "platform/scripted_dialog_service.h"
#include "platform/temp_drive.h"
#include "plugin/zuzozuduvuruva.h"
#include "services/fake_host_support.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu::test {

// The plug-in object as a host drives it, on a scratch drive C: with a recording host, a hub
// that owns the host's project document, the scripted dialogs, an empty registry and a docked
// window the host hands out.
//
// The project "demo" lives in C:\work\demo\ (sources main.c and src\uart.c, header main.h, all
// on disk) with the configuration "default" building demo.cof into default\, and custom tools
// in C:\tools\bin: tazumake.exe records each call's arguments, creates demo.cof, demo.lis and
// demo.mp for a build and the named file for any other target.
//
// Its members are public so that the functions of test tables can reach them.
class PluginFixture : public ::testing::Test {
public:
    PluginFixture();
    ~PluginFixture() override;

    static Project demoProject();
    // The host's document for the project: its own sections and the plug-in's section
    // written from `project`.
    void writeDocument(const Project& project);
    // Init, then event 101 on the document of `project`.
    void openProject(const Project& project = demoProject());
    // Forgets what host, hub and tools recorded so far.
    void clearRecords();

    // Each make call's arguments, in order.
    std::vector<std::string> makeCalls() const;
    std::vector<std::string> logMessages(long level) const;
    bool logged(long level, const std::string& message) const;
    std::vector<long> sentEvents() const;
    std::vector<std::string> outputTexts() const;
    // Sets a file's modification time, in seconds from now.
    void touch(const std::string& relative, std::time_t secondsFromNow) const;
    std::string text(const std::string& path) const;
    // Makes the project folder the current one, as the host does when it opens a project, so
    // that the tree finds the files the project names relative to it. Undone at the end.
    void enterProjectFolder(const std::string& relative = "work/demo");

    TempDrive drive{'C'};
    std::shared_ptr<fakes::XmlHub> hub = std::make_shared<fakes::XmlHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    QWidget dock;
    std::unique_ptr<Zuzozuduvuruva> plugin;

private:
    std::string m_startFolder;
};

} // namespace avrtazu::test
