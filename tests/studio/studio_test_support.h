#pragma once

#include "host/host_test_support.h"

#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "platform/scripted_dialog_service.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {

// The process-wide state a studio window needs, for one test: a fresh PlugInUtility, the
// build tree's registry file (the real toolchain), the real plug-in, scripted dialogs and a
// modal hook that presses OK and records the dialogs' classes.
class StudioEnvironment {
public:
    StudioEnvironment() {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        Registry::setFile(binFolder() + "/avrtazu.reg");
        registerPluginClass();
        DialogService::install(&dialogs);
        ModalRunner::setUnattended(true);
        ModalRunner::setHook([this](QDialog& dialog) {
            modalClasses.push_back(dialog.metaObject()->className());
            // A sheet that keeps coming back would never let the test end.
            if (modalClasses.size() > 20) {
                throw std::runtime_error("a dialog keeps coming back: " + modalClasses.back());
            }
            dialog.accept();
            return dialog.result();
        });
    }
    ~StudioEnvironment() {
        ModalRunner::setHook({});
        ModalRunner::setUnattended(false);
        DialogService::install(nullptr);
        Registry::setFile("");
        PlugInUtility::resetForTesting();
    }
    StudioEnvironment(const StudioEnvironment&) = delete;
    StudioEnvironment& operator=(const StudioEnvironment&) = delete;

    // The folder of the build tree's programs, registry file and AvrStudioPlugin/.
    static std::string binFolder() { return AVRTAZU_TEST_BIN_DIR; }

    ScriptedDialogService dialogs;
    std::vector<std::string> modalClasses;
};

// Copies the example project blink into folder/blink; gives the path of its blink.aps.
inline std::string copyBlinkExample(const std::string& folder) {
    namespace fs = std::filesystem;
    // The files of the example, not what a build in place left there.
    fs::copy(fs::path(AVRTAZU_TEST_SOURCE_DIR) / "examples" / "blink", fs::path(folder) / "blink");
    return (fs::path(folder) / "blink" / "blink.aps").string();
}

} // namespace avrtazu::test
