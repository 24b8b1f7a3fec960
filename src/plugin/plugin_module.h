#pragma once

#include <QIcon>

namespace avrtazu {

// The plug-in module as the host sees it: the handle it receives as the module instance with
// CreateDockWindow, and the resources it can look up there by id.
class PluginModule {
public:
    // The picture of the docked window.
    static constexpr long kDockIconResourceId = 253;

    static PluginModule& instance();
    // The module instance handed to the host; the host may cast it back to PluginModule*.
    void* handle() { return this; }
    // The icon of a resource id; a null icon for an id the module does not have.
    QIcon icon(long resourceId) const;

private:
    PluginModule() = default;
};

} // namespace avrtazu
