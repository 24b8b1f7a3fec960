#pragma once

#include <functional>
#include <string>

namespace avrtazu {

// The text the user sees when a page's fill or harvest fails inside.
inline constexpr const char* kInconsistencyMessage =
    "Inconsistency in internal datastructures. Please restart AVR Studio";

// Writes the error under the operation's name for the developer, then the fixed text for the
// user, on the plug-in's log channel.
void reportInconsistency(const std::string& context, const std::string& message);

class Project;

// Refills a page, through fill, when its controls (last filled from loadedConfiguration) no
// longer show the project's active configuration; a failure is reported under context.
void refillIfAnotherConfiguration(const Project& project, std::string& loadedConfiguration,
                                  const std::function<void()>& fill, const std::string& context);

} // namespace avrtazu
