#include "services/plug_in_utility.h"

#include "services/bstr.h"
#include "services/dependency_scan.h"
#include "services/object_registry.h"
#include "services/plugin_hub.h"
#include "services/toolchain_locator.h"

#include "platform/system_error_text.h"

#include <cstdint>
#include <exception>
#include <iostream>

namespace avrtazu {

namespace {

// Leaked on purpose: the object must outlive every static that may still log at exit.
PlugInUtility* theInstance = nullptr;

PlugInUtility::ToolchainLocator& locatorSlot() {
    static PlugInUtility::ToolchainLocator locator = &ToolchainLocator::locate;
    return locator;
}

const char* levelName(LogLevel level) {
    switch (level) {
    case LogLevel::Info:
        return "info";
    case LogLevel::Warning:
        return "warning";
    case LogLevel::Error:
        return "error";
    case LogLevel::Debug:
        return "debug";
    }
    return "log";
}

} // namespace

PlugInUtility& PlugInUtility::instance() {
    if (theInstance == nullptr) {
        // Publish before the creation steps, so that a hub factory or the locator that asks for
        // the instance again gets this one rather than building a second.
        theInstance = new PlugInUtility();
        theInstance->create();
    }
    return *theInstance;
}

bool PlugInUtility::exists() {
    return theInstance != nullptr;
}

void PlugInUtility::resetForTesting() {
    PlugInUtility* doomed = theInstance;
    theInstance = nullptr;
    delete doomed;
}

void PlugInUtility::setToolchainLocator(ToolchainLocator locator) {
    locatorSlot() = std::move(locator);
}

PlugInUtility::~PlugInUtility() {
    if (LogSink::installed() == this) {
        LogSink::install(nullptr);
    }
}

void PlugInUtility::create() {
    LogSink::install(this);
    HRESULT result = S_OK;
    m_hub = ObjectRegistry::instance().create<IPluginHub>(kPluginHubClassId, kPluginHubInterfaceId,
                                                          &result);
    if (m_hub) {
        m_hub->RegisterPlugin(toWide(kPluginName), 1);
    } else {
        std::cerr << kLogPrefix << " the host's plug-in hub could not be created (HRESULT 0x"
                  << std::hex << static_cast<unsigned long>(static_cast<std::uint32_t>(result))
                  << std::dec << "); log lines go to standard error\n";
    }
    locateToolchain();
}

void PlugInUtility::locateToolchain() {
    // Copy: the locator may replace itself while it runs.
    const ToolchainLocator locator = locatorSlot();
    if (locator) {
        locator(*this);
    }
}

std::vector<SourceFile> PlugInUtility::getExternalHeaderFiles(const Project& project) {
    return DependencyScan::externalHeaderFiles(project);
}

void PlugInUtility::logInfo(const std::string& message) {
    write(LogLevel::Info, "", message);
}

void PlugInUtility::logWarning(const std::string& message) {
    write(LogLevel::Warning, "", message);
}

void PlugInUtility::logError(const std::string& message) {
    write(LogLevel::Error, "", message);
}

void PlugInUtility::logDebug(const std::string& context, const std::string& message) {
    write(LogLevel::Debug, context, message);
}

std::string PlugInUtility::lastErrorText() {
    return SystemError::lastErrorMessage();
}

void PlugInUtility::write(LogLevel level, const std::string& context, const std::string& message) {
    if (m_hub) {
        try {
            m_hub->Log(static_cast<long>(level), toWide(kLogPrefix), toWide(context),
                       toWide(message));
            return;
        } catch (const std::exception&) {
            // A failing hub must not lose the line nor break the caller; fall through.
        }
    }
    std::cerr << kLogPrefix << ' ' << levelName(level) << ": ";
    if (!context.empty()) {
        std::cerr << context << ": ";
    }
    std::cerr << message << '\n';
}

} // namespace avrtazu
