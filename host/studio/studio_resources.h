#pragma once

namespace avrtazu {

// Makes the studio's pictures and help pages (":/studio/...") available; a static library's
// resources are not registered by themselves. Safe to call any number of times.
void loadStudioResources();

} // namespace avrtazu
