#pragma once

#include "model/configuration.h"
#include "model/source_file.h"

#include <list>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace avrtazu {

// The in-memory plug-in project: its files, its configurations and the one that builds use.
// Every configuration setting is reached through the project, which forwards to the active
// configuration and throws std::runtime_error naming the operation when there is none.
class Project {
public:
    Project() = default;
    Project(const std::string& name, const std::string& homePath);

    std::string name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }
    // The project directory, with its trailing backslash.
    const std::string& homePath() const { return m_homePath; }
    void setHomePath(const std::string& homePath) { m_homePath = homePath; }
    bool usesExtMakefile() const { return m_usesExtMakefile; }
    void setUsesExtMakefile(bool uses) { m_usesExtMakefile = uses; }
    std::string extMakefile() const { return m_extMakefile; }
    // Stored relative to the project directory when it lies below it.
    void setExtMakefile(const std::string& path);
    bool usesTazuAvr() const { return m_usesTazuAvr; }
    void setUsesTazuAvr(bool uses) { m_usesTazuAvr = uses; }
    std::string tazuLocation() const { return m_tazuLocation; }
    void setTazuLocation(const std::string& location) { m_tazuLocation = location; }
    std::string makeLocation() const { return m_makeLocation; }
    void setMakeLocation(const std::string& location) { m_makeLocation = location; }

    // Files keep their addresses while the lists change elsewhere: the tree points at them.
    const std::list<SourceFile>& srcFiles() const { return m_srcFiles; }
    const std::list<SourceFile>& hdrFiles() const { return m_hdrFiles; }
    const std::list<SourceFile>& otherFiles() const { return m_otherFiles; }
    // A file whose full name is already listed is not added again.
    void addSrcFile(const SourceFile& file);
    void addHdrFile(const SourceFile& file);
    void addOtherFile(const SourceFile& file);
    void removeSrcFile(const std::string& fullName);
    void removeHdrFile(const std::string& fullName);
    void removeOtherFile(const std::string& fullName);
    // By full name or, failing that, by bare file name; source files only.
    bool findSourceFile(const std::string& file) const;

    const std::map<std::string, Configuration>& configs() const { return m_configs; }
    // The first configuration added becomes active; a name already present keeps its entry.
    void addConfig(const Configuration& config);
    // Refuses (logging why) to remove the last or the active configuration.
    bool removeConfiguration(const std::string& name);
    // An unknown name leaves the project without an active configuration, and throws.
    void setActiveConfiguration(const std::string& name);
    std::string currentConfigName() const;

    // The active configuration's settings.
#define AVRTAZU_PROJECT_SETTING(T, getter, setter, def, projectMessage, projectSetter)             \
    T getter() const;                                                                              \
    void setter(SettingArg<T> value);
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_PROJECT_SETTING)
#undef AVRTAZU_PROJECT_SETTING
    // The part once more, under the name the device pages use.
    std::string deviceConfiguration() const;
    void setDeviceConfiguration(const std::string& part);
    void clearOptionsForAll();
    void clearLinkerOptions();

#define AVRTAZU_PROJECT_LIST(getter, adder, clearer, emptyMessage, projectClearMessage)            \
    const std::vector<std::string>& getter() const;                                                \
    void adder(const std::string& text);                                                           \
    void clearer();
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_PROJECT_LIST)
#undef AVRTAZU_PROJECT_LIST

    // Per-file options of the active configuration.
    std::string options(const std::string& file) const;
    void setOptions(const std::string& file, const std::string& options);
    void clearOptions();

private:
    const Configuration& active(const char* errorMessage) const;
    Configuration& active(const char* errorMessage);

    std::string m_name;
    std::string m_homePath;
    bool m_usesExtMakefile = false;
    std::string m_extMakefile;
    bool m_usesTazuAvr = true;
    std::string m_tazuLocation;
    std::string m_makeLocation;
    // The key of the active entry, so that a copy of the project points into its own map.
    std::optional<std::string> m_activeKey;
    std::list<SourceFile> m_srcFiles;
    std::list<SourceFile> m_hdrFiles;
    std::list<SourceFile> m_otherFiles;
    std::unordered_set<std::string> m_srcNames;
    std::unordered_set<std::string> m_hdrNames;
    std::unordered_set<std::string> m_otherNames;
    std::map<std::string, Configuration> m_configs;
};

} // namespace avrtazu
