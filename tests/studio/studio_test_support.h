#pragma once

#include "host/host_test_support.h"

#include "platform/scripted_dialog_service.h"

namespace avrtazu::test {

// The process-wide state a studio window needs, for one test: a fresh PlugInUtility, the
// build tree's registry file (the real toolchain), the real plug-in, scripted dialogs and a
// modal hook that presses OK and records the dialogs' classes.
class StudioEnvironment {
public:
    StudioEnvironment();
    ~StudioEnvironment();
    StudioEnvironment(const StudioEnvironment&) = delete;
    StudioEnvironment& operator=(const StudioEnvironment&) = delete;

    // The folder of the build tree's programs, registry file and AvrStudioPlugin/.
    static std::string binFolder() { return AVRTAZU_TEST_BIN_DIR; }

    ScriptedDialogService dialogs;
    std::vector<std::string> modalClasses;
};

// Copies the example project blink into folder/blink; gives the path of its blink.aps.
std::string copyBlinkExample(const std::string& folder);

} // namespace avrtazu::test
