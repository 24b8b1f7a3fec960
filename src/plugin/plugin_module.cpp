#include "plugin/plugin_module.h"

#include <QBitmap>
#include <QPixmap>

// Resources of a static library are registered by name, outside any namespace.
static void initPluginResources() {
    Q_INIT_RESOURCE(plugin);
}

namespace avrtazu {

PluginModule& PluginModule::instance() {
    static PluginModule module;
    return module;
}

QIcon PluginModule::icon(long resourceId) const {
    if (resourceId != kDockIconResourceId) {
        return QIcon();
    }
    initPluginResources();
    QPixmap picture(QStringLiteral(":/avrtazu/plugin/dock_icon.png"));
    if (picture.isNull()) {
        return QIcon();
    }
    // White is the picture's transparent colour, as in the tree's pictures.
    picture.setMask(picture.createMaskFromColor(Qt::white));
    return QIcon(picture);
}

} // namespace avrtazu
