#include "plugin/registration.h"

#include "plugin/zuzozuduvuruva.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"

#include <memory>

namespace avrtazu {

void registerPluginClass(ObjectRegistry& registry) {
    // Every creation gives a new object, as the class factory of an in-process server does.
    registry.registerClass<IGuiPlugin>(
        plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId,
        []() -> std::shared_ptr<IGuiPlugin> { return std::make_shared<Zuzozuduvuruva>(); });
}

void registerPluginClass() {
    registerPluginClass(ObjectRegistry::instance());
}

void unregisterPluginClass(ObjectRegistry& registry) {
    registry.unregisterClass(plugin_registration::kClassId);
}

} // namespace avrtazu
