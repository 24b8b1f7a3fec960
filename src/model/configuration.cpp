#include "model/configuration.h"

#include <algorithm>
#include <stdexcept>

namespace avrtazu {

namespace {

void addUnique(std::vector<std::string>& list, const std::string& text, const char* emptyMessage) {
    if (text.empty()) {
        throw std::runtime_error(emptyMessage);
    }
    if (std::find(list.begin(), list.end(), text) == list.end()) {
        list.push_back(text);
    }
}

} // namespace

Configuration::Configuration(const std::string& name) : Configuration(name, "Custom", "") {}

Configuration::Configuration(const std::string& name, const std::string& outputFileName)
    : Configuration(name, "Custom", outputFileName) {}

Configuration::Configuration(const std::string& name, const std::string& part,
                             const std::string& outputFileName)
    : m_name(name) {
    m_part = part;
    m_outputFileName = outputFileName;
    m_outputDir = name + "\\";
}

#define AVRTAZU_LIST_ADD(getter, adder, clearer, emptyMessage, projectClearMessage)                \
    void Configuration::adder(const std::string& text) {                                           \
        addUnique(m_##getter, text, emptyMessage);                                                 \
    }
AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_LIST_ADD)
#undef AVRTAZU_LIST_ADD

void Configuration::setOptions(const std::string& file, const std::string& options) {
    m_options[file] = options;
}

std::string Configuration::optionsFromFile(const std::string& file) const {
    const auto found = m_options.find(file);
    return found == m_options.end() ? std::string() : found->second;
}

} // namespace avrtazu
