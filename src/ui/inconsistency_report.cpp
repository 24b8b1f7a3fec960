#include "ui/inconsistency_report.h"

#include "services/plug_in_utility.h"

namespace avrtazu {

void reportInconsistency(const std::string& context, const std::string& message) {
    PlugInUtility& utility = PlugInUtility::instance();
    utility.logDebug(context, message);
    utility.logError(kInconsistencyMessage);
}

} // namespace avrtazu
