#include "model/project.h"

#include "platform/log_sink.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>
#include <utility>

namespace avrtazu {

namespace {

// The set holds the list's full names, so that a project of many files is read in linear time.
void addUnique(std::list<SourceFile>& files, std::unordered_set<std::string>& names,
               const SourceFile& file) {
    if (names.insert(file.fullName()).second) {
        files.push_back(file);
    }
}

void removeFirst(std::list<SourceFile>& files, std::unordered_set<std::string>& names,
                 const std::string& fullName) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const SourceFile& file) {
        return file.fullName() == fullName;
    });
    if (found != files.end()) {
        files.erase(found);
        names.erase(fullName);
    }
}

} // namespace

Project::Project(const std::string& name, const std::string& homePath)
    : m_name(name), m_homePath(homePath) {}

void Project::setExtMakefile(const std::string& path) {
    SourceFile makefile(path);
    if (makefile.fullName().find(m_homePath) != std::string::npos) {
        makefile.subtractPath(m_homePath);
    }
    m_extMakefile = makefile.fullName();
}

void Project::addSrcFile(const SourceFile& file) {
    addUnique(m_srcFiles, m_srcNames, file);
}
void Project::addHdrFile(const SourceFile& file) {
    addUnique(m_hdrFiles, m_hdrNames, file);
}
void Project::addOtherFile(const SourceFile& file) {
    addUnique(m_otherFiles, m_otherNames, file);
}
void Project::removeSrcFile(const std::string& fullName) {
    removeFirst(m_srcFiles, m_srcNames, fullName);
}
void Project::removeHdrFile(const std::string& fullName) {
    removeFirst(m_hdrFiles, m_hdrNames, fullName);
}
void Project::removeOtherFile(const std::string& fullName) {
    removeFirst(m_otherFiles, m_otherNames, fullName);
}

bool Project::findSourceFile(const std::string& file) const {
    active("Project::findSourceFile(): Invalid active configuration");
    const auto byFullName = [&](const SourceFile& f) { return f.fullName() == file; };
    const auto byName = [&](const SourceFile& f) { return f.name() == file; };
    return std::any_of(m_srcFiles.begin(), m_srcFiles.end(), byFullName) ||
           std::any_of(m_srcFiles.begin(), m_srcFiles.end(), byName);
}

void Project::addConfig(const Configuration& config) {
    if (config.name().empty()) {
        throw std::runtime_error("Project::addConfig(): Invalid configuration");
    }
    const bool first = m_configs.empty();
    m_configs.try_emplace(config.name(), config);
    if (first) {
        m_activeKey = config.name();
    }
}

bool Project::removeConfiguration(const std::string& name) {
    const char* refusal = nullptr;
    if (m_configs.size() <= 1) {
        refusal = "Could not remove configuration: Only one Configuration left.";
    } else if (m_configs.find(name) == m_configs.end()) {
        refusal = "Could not remove configuration: No such configuration name";
    } else if (m_activeKey && *m_activeKey == name) {
        refusal = "Could not remove configuration: The active configuration can not be removed.";
    }
    if (refusal) {
        LogSink::post(LogLevel::Error, "", refusal);
        return false;
    }
    m_configs.erase(name);
    return true;
}

void Project::setActiveConfiguration(const std::string& name) {
    if (m_configs.find(name) == m_configs.end()) {
        m_activeKey.reset();
        throw std::runtime_error("Project::setConfiguration(): Invalid Configuration");
    }
    m_activeKey = name;
}

std::string Project::currentConfigName() const {
    return active("Project::currentConfigName(): Invalid Configuration").name();
}

const Configuration& Project::active(const char* errorMessage) const {
    if (m_activeKey) {
        const auto found = m_configs.find(*m_activeKey);
        if (found != m_configs.end()) {
            return found->second;
        }
    }
    throw std::runtime_error(errorMessage);
}

Configuration& Project::active(const char* errorMessage) {
    return const_cast<Configuration&>(std::as_const(*this).active(errorMessage));
}

#define AVRTAZU_PROJECT_SETTER_Forward(T, setter, projectMessage)                                  \
    void Project::setter(SettingArg<T> value) {                                                    \
        active(projectMessage).setter(value);                                                      \
    }
#define AVRTAZU_PROJECT_SETTER_Own(T, setter, projectMessage)
#define AVRTAZU_PROJECT_SETTING(T, getter, setter, def, projectMessage, projectSetter)             \
    T Project::getter() const {                                                                    \
        return active("Project::" #getter "(): Invalid active configuration").getter();            \
    }                                                                                              \
    AVRTAZU_PROJECT_SETTER_##projectSetter(T, setter, projectMessage)
AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_PROJECT_SETTING)
#undef AVRTAZU_PROJECT_SETTING
#undef AVRTAZU_PROJECT_SETTER_Own
#undef AVRTAZU_PROJECT_SETTER_Forward

void Project::setOutputDirectory(const std::string& path) {
    Configuration& config = active("Project::setOutputDirectory(): Invalid Configuration");
    // Directory texts end with a backslash; the empty text means "none" and stays empty.
    config.setOutputDirectory(path.empty() || path.back() == '\\' ? path : path + "\\");
}

std::string Project::deviceConfiguration() const {
    return active("Project::deviceConfiguration(): Invalid active configuration").part();
}

void Project::setDeviceConfiguration(const std::string& part) {
    active("Project::setDeviceConfiguration: Invalid Configuration").setPart(part);
}

void Project::clearOptionsForAll() {
    active("Project::clearOptionsForAll(): Invalid Configuration").clearOptionsForAll();
}

void Project::clearLinkerOptions() {
    active("Project::clearLinkerOptions(): Invalid Configuration").clearLinkerOptions();
}

#define AVRTAZU_PROJECT_LIST(getter, adder, clearer, emptyMessage, projectClearMessage)            \
    const std::vector<std::string>& Project::getter() const {                                      \
        return active("Project::" #getter "(): Invalid active configuration").getter();            \
    }                                                                                              \
    void Project::adder(const std::string& text) {                                                 \
        active("Project::" #adder "(): Invalid Configuration").adder(text);                        \
    }                                                                                              \
    void Project::clearer() {                                                                      \
        active(projectClearMessage).clearer();                                                     \
    }
AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_PROJECT_LIST)
#undef AVRTAZU_PROJECT_LIST

std::string Project::options(const std::string& file) const {
    return active("Project::options(): Invalid active configuration").optionsFromFile(file);
}

void Project::setOptions(const std::string& file, const std::string& options) {
    active("Project::setOptions(): Invalid Configuration").setOptions(file, options);
}

void Project::clearOptions() {
    active("Project::clearOptions(): Invalid Configuration").clearOptions();
}

} // namespace avrtazu
