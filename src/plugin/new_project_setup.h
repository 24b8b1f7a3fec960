#pragma once

#include "plugin/options_context.h"
#include "services/hresult.h"

#include <functional>
#include <string>

namespace avrtazu {

// Prepares a project that the host has just created: reads the host's fresh document, takes
// the toolchain and the debugger's device, sets up the windows, adds the host's initial file,
// tells the user when the compiler does not know the device, and ends in the options change,
// whose sheet then shows the device's memory layout.
class NewProjectSetup {
public:
    using WindowSetup = std::function<HRESULT()>;

    static constexpr const char* kWindowsFailed = "Failed to set up plug-in windows";
    static constexpr const char* kOpenFailed = "Failed to open file ";
    static constexpr const char* kNotSupportedEnd =
        "\" not supported by TAZU-AVR.\n\nDevice configuration not set for the compiler.\n"
        "Please select the appropriate device under the \"Project->Configuration "
        "Options->Target\" tab.";
    static constexpr const char* kAtmega128 = "ATMega128 (Please see NOTES)";
    // The device check walks the device table up to this row.
    static constexpr const char* kLastCheckedDevice = "AT90S8535";
    // The options sheet opens on its Target page.
    static constexpr int kTargetPage = 3;

    // setupWindows is the plug-in object's window set-up.
    NewProjectSetup(OptionsContext context, WindowSetup setupWindows);

    // The whole set-up, the options change included. Errors of the project model travel to
    // the caller.
    void run();

    // The part for the debugger's device name: "Custom" for none, else the name in lower case,
    // with atmega128 standing for the device table's row of that name.
    static std::string partForDebuggerDevice(const std::string& debuggerPart);
    // Whether the device table knows the part, ignoring case.
    static bool isSupported(const std::string& part);
    static std::string notSupportedMessage(const std::string& part);

private:
    void readHostState();
    void addInitialFile();
    void checkDevice();

    OptionsContext m_context;
    WindowSetup m_setupWindows;
};

} // namespace avrtazu
