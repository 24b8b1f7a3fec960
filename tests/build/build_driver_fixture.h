#pragma once

#include "build/build_driver.h"
#include "build/build_tree_view.h"
#include "model/project.h"
#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace avrtazu::test {

// Works whose output window empties on ClearOutput, as the host's does.
class ClearingWorks : public fakes::RecordingWorks {
public:
    HRESULT ClearOutput() override;
};

// A project tree that only records what the driver asks of it.
class RecordingTree : public BuildTreeView {
public:
    bool containsFile(const std::string& path) override;
    void removeFile(const std::string& path) override;
    void addFileToProject(const std::string& path) override;

    std::vector<std::string> shown;
    std::vector<std::string> removed;
    std::vector<std::string> added;
};

// The project C:\work\demo\ ("demo", configuration "default" writing demo.cof to default\,
// sources main.c and src\uart.c, header main.h) on a scratch drive, with a recording host
// and hub, custom tools in C:\tools\bin whose tazumake.exe records its calls and plays a
// scenario, and the scripted dialog service.
class BuildDriverFixture : public ::testing::Test {
protected:
    BuildDriverFixture();
    ~BuildDriverFixture() override;

    // The stand-in make tool: prints a tool line and the text of C:\make-output.txt, then
    // creates the files named in C:\make-creates.txt in its folder.
    void makePrints(const std::string& text);
    void makeCreates(const std::string& names);
    // Each call of the make tool as "<Linux folder>|<arguments>".
    std::vector<std::string> makeCalls() const;

    std::vector<std::string> outputTexts() const;
    // Log lines of a level with that exact message.
    int logCount(long level, const std::string& message) const;
    std::vector<std::string> logMessages(long level) const;

    ScratchDrive drive{'C'};
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    ClearingWorks works;
    ScriptedDialogService dialogs;
    Project project{"demo", "C:\\work\\demo\\"};
    BuildDriver driver{project, nullptr};
};

} // namespace avrtazu::test
