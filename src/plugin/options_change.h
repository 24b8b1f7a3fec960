#pragma once

#include "model/project.h"
#include "plugin/options_context.h"
#include "services/hresult.h"

#include <optional>
#include <string>

namespace avrtazu {

// The checked commit of a change of the project's options: the options sheet edits the live
// project, its values are checked and the sheet opens again until they pass, a cancel puts the
// copy taken at the start back, and the commit writes the project into the host document and
// tells the other plug-ins that the object file is out of date.
class OptionsChange {
public:
    static constexpr const char* kContext = "Zuzozuduvuruva::changeOptions()";
    static constexpr const char* kDeviceNotSet =
        "Device configuration not set for the compiler.\nPlease select the appropriate device "
        "under the \"Project->Configuration Options->Target\" tab.";
    static constexpr const char* kEmptyDevice = "Device Configuration must not be empty";
    static constexpr const char* kStackTooSmall =
        "Return Stack Size should be at least 30 bytes when using large/float printf!";
    static constexpr const char* kBootSizeNone = "Boot size cannot be \"None\" for bootloader";
    static constexpr const char* kObjectFileDirtySent = "Sent AVREVENT_OBJECTFILE_DIRTY";
    // The smallest return stack that the long and float printf work with.
    static constexpr int kPrintfStackMinimum = 30;

    // A check that failed: its number in the order of the checks (1 to 10) and its message.
    struct Failure {
        int check = 0;
        std::string message;
    };

    explicit OptionsChange(OptionsContext context);

    // Runs the sheet until its values pass and commits them: S_OK. E_FAIL when a failure was
    // raised inside, and when nobody is there to correct a value that fails again unchanged.
    HRESULT changeOptions();

    // The process-wide flag of a project that the host has just created: set for the host's
    // new-project event, given to the sheet, cleared by the commit.
    static bool newProject();
    static void setNewProject(bool newProject);

    // A number as the standard library's strtol reads it with base 0, consuming all of the text
    // and at least one character.
    static bool isNumber(const std::string& value);
    // The message of a field that fails its check, nullopt when it passes.
    static std::optional<std::string> fieldProblem(const std::string& value,
                                                   const std::string& label, bool emptyAllowed);
    // The field check: a failure is shown in an error message box.
    static bool checkField(const std::string& value, const std::string& label, bool emptyAllowed);

    // The checks of the active configuration in their order. The first that fails shows its
    // message, makes its correction and is given back; nullopt when all pass.
    std::optional<Failure> checkOptions();

private:
    // Once more round the loop, or the end of changeOptions.
    enum class Pass { Again, Done };

    // One showing of the sheet and what follows from its answer.
    Pass runPass();
    // A pass that failed. Without a user the same failure twice in a row ends the loop: the
    // sheet was accepted as shown, so it would fail the same way for ever.
    Pass failed(const Failure& failure);
    void commit();
    void reportFailure(const std::string& message);

    OptionsContext m_context;
    // Taken when changeOptions starts, dropped when it ends.
    std::optional<Project> m_backup;
    bool m_usedExtMakefile = false;
    std::string m_oldExtMakefile;
    std::optional<Failure> m_lastFailure;
    HRESULT m_result = S_OK;
};

} // namespace avrtazu
