#include "ui/inconsistency_report.h"

#include "services/plug_in_utility.h"

#include "model/project.h"

#include <exception>

namespace avrtazu {

void reportInconsistency(const std::string& context, const std::string& message) {
    PlugInUtility& utility = PlugInUtility::instance();
    utility.logDebug(context, message);
    utility.logError(kInconsistencyMessage);
}

void refillIfAnotherConfiguration(const Project& project, std::string& loadedConfiguration,
                                  const std::function<void()>& fill, const std::string& context) {
    try {
        const std::string active = project.currentConfigName();
        if (active != loadedConfiguration) {
            fill();
            loadedConfiguration = active;
        }
    } catch (const std::exception& error) {
        reportInconsistency(context, error.what());
    }
}

} // namespace avrtazu
