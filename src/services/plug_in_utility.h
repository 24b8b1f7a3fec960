#pragma once

#include "model/source_file.h"
#include "platform/log_sink.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu {

class IGuiWorks;
class IPluginHub;
class Project;

// The process-wide holder of the toolchain locations, the host's hub and works, and the log
// channel. Created on first use; lives until the process ends. While it exists it is the
// installed LogSink, so log lines of the lower layers reach the hub too.
class PlugInUtility : public LogSink {
public:
    using ToolchainLocator = std::function<void(PlugInUtility&)>;

    static constexpr const char* kLogPrefix = "tazu plug-in:";
    static constexpr const char* kPluginName = "Zuzozuduvuruva";

    // Creates the object on first use: empty locations, the hub from the ObjectRegistry,
    // RegisterPlugin, then toolchain discovery.
    static PlugInUtility& instance();
    static bool exists();
    // Destroys the instance so that the next instance() starts afresh. Tests only.
    static void resetForTesting();
    // The discovery that creation and locateToolchain run; the registry search of
    // ToolchainLocator until replaced. An empty function turns discovery off.
    static void setToolchainLocator(ToolchainLocator locator);

    PlugInUtility(const PlugInUtility&) = delete;
    PlugInUtility& operator=(const PlugInUtility&) = delete;
    ~PlugInUtility() override;

    const std::string& makeDirectory() const { return m_makeDirectory; }
    const std::string& compilerDirectory() const { return m_compilerDirectory; }
    const std::string& libraryDirectory() const { return m_libraryDirectory; }
    const std::string& helpFile() const { return m_helpFile; }
    void setMakeDirectory(const std::string& value) { m_makeDirectory = value; }
    void setCompilerDirectory(const std::string& value) { m_compilerDirectory = value; }
    void setLibraryDirectory(const std::string& value) { m_libraryDirectory = value; }
    void setHelpFile(const std::string& value) { m_helpFile = value; }

    // Null when the hub could not be created.
    IPluginHub* hub() const { return m_hub.get(); }
    // Null until the plug-in's Init hands it over; not owned.
    IGuiWorks* host() const { return m_host; }
    void setHost(IGuiWorks* host) { m_host = host; }

    // Runs the toolchain locator, if one is set.
    void locateToolchain();

    // Headers the project's sources include that are not project headers (DependencyScan).
    std::vector<SourceFile> getExternalHeaderFiles(const Project& project);

    void logInfo(const std::string& message);
    void logWarning(const std::string& message);
    void logError(const std::string& message);
    // context names the operation, as "Zuzozuduvuruva::changeOptions()"; may be empty.
    void logDebug(const std::string& context, const std::string& message);

    // The calling thread's last system error as "Error %d: %s".
    static std::string lastErrorText();

    // LogSink: one line to the hub's Log with the plug-in's prefix.
    void write(LogLevel level, const std::string& context, const std::string& message) override;

private:
    PlugInUtility() = default;
    void create();

    std::string m_makeDirectory;
    std::string m_compilerDirectory;
    std::string m_libraryDirectory;
    std::string m_helpFile;
    std::shared_ptr<IPluginHub> m_hub;
    IGuiWorks* m_host = nullptr;
};

} // namespace avrtazu
