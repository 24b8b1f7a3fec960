#pragma once

#include <string>

namespace avrtazu {

class Project;

// The folder a build writes into: the active configuration's outputDir itself when it names a
// drive (contains a colon), otherwise the project directory followed by it. Ends with a
// backslash when outputDir does. Throws as the project does without an active configuration.
std::string outputDirectory(const Project& project);

} // namespace avrtazu
