#include "studio_test_support.h"

#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "ui/modal_runner.h"

#include <QDialog>

namespace avrtazu::test {

namespace fs = std::filesystem;

std::string copyBlinkExample(const std::string& folder) {
    // The files of the example, not what a build in place left there.
    fs::copy(fs::path(AVRTAZU_TEST_SOURCE_DIR) / "examples" / "blink", fs::path(folder) / "blink");
    return (fs::path(folder) / "blink" / "blink.aps").string();
}

StudioEnvironment::StudioEnvironment() {
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

StudioEnvironment::~StudioEnvironment() {
    ModalRunner::setHook({});
    ModalRunner::setUnattended(false);
    DialogService::install(nullptr);
    Registry::setFile("");
    PlugInUtility::resetForTesting();
}

} // namespace avrtazu::test
