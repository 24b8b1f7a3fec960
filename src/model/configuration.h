#pragma once

#include "model/configuration_fields.h"

#include <map>
#include <string>
#include <vector>

namespace avrtazu {

// One named set of build settings. Numbers such as memory sizes stay the text the user typed;
// nothing here parses or checks them. Setters store their value unchanged.
class Configuration {
public:
    explicit Configuration(const std::string& name);
    Configuration(const std::string& name, const std::string& outputFileName);
    Configuration(const std::string& name, const std::string& part,
                  const std::string& outputFileName);

    // Configurations are the same when their names are, whatever their settings.
    bool operator==(const Configuration& other) const { return m_name == other.m_name; }

    std::string name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }

    void clearOptionsForAll() { m_optionsForAll.clear(); }
    void clearLinkerOptions() { m_linkerOptions.clear(); }

    // Extra compiler options per file name (exact key).
    const std::map<std::string, std::string>& options() const { return m_options; }
    void setOptions(const std::string& file, const std::string& options);
    std::string optionsFromFile(const std::string& file) const;
    void clearOptions() { m_options.clear(); }

    // Kept for the exported interface; it has never changed anything.
    void clearAll() {}

    // clang-format off
#define AVRTAZU_SETTING_ACCESSORS(T, getter, setter, def, projectMessage, projectSetter) \
    T getter() const { return m_##getter; } \
    void setter(SettingArg<T> value) { m_##getter = value; }
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_SETTING_ACCESSORS)
#undef AVRTAZU_SETTING_ACCESSORS

    // Adding throws std::runtime_error for the empty text; a text already listed is kept once.
#define AVRTAZU_LIST_ACCESSORS(getter, adder, clearer, emptyMessage, projectClearMessage) \
    const std::vector<std::string>& getter() const { return m_##getter; } \
    void adder(const std::string& text); \
    void clearer() { m_##getter.clear(); }
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_LIST_ACCESSORS)
#undef AVRTAZU_LIST_ACCESSORS

private:
    std::string m_name;
#define AVRTAZU_SETTING_MEMBER(T, getter, setter, def, projectMessage, projectSetter) \
    T m_##getter{def};
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_SETTING_MEMBER)
#undef AVRTAZU_SETTING_MEMBER
#define AVRTAZU_LIST_MEMBER(getter, adder, clearer, emptyMessage, projectClearMessage) \
    std::vector<std::string> m_##getter;
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_LIST_MEMBER)
#undef AVRTAZU_LIST_MEMBER
    // clang-format on
    std::map<std::string, std::string> m_options;
};

} // namespace avrtazu
