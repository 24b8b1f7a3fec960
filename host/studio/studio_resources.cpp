#include "studio/studio_resources.h"

#include <QtGlobal>

// Resources of a static library are registered by name, outside any namespace.
static void initStudioResources() {
    Q_INIT_RESOURCE(studio);
}

namespace avrtazu {

void loadStudioResources() {
    static const bool loaded = (initStudioResources(), true);
    (void)loaded;
}

} // namespace avrtazu
