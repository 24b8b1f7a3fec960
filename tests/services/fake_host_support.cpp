#include "services/fake_host_support.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"

namespace avrtazu::fakes {

namespace {

void startClean() {
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(nullptr);
    ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
}

} // namespace

HubInstallation::HubInstallation(std::shared_ptr<RecordingHub> hub) {
    startClean();
    if (hub) {
        ObjectRegistry::instance().registerClass<IPluginHub>(
            kPluginHubClassId, kPluginHubInterfaceId,
            [hub, count = m_creations]() -> std::shared_ptr<IPluginHub> {
                ++*count;
                return hub;
            });
    }
}

HubInstallation::~HubInstallation() {
    startClean();
}

} // namespace avrtazu::fakes
