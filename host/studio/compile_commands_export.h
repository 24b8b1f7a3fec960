#pragma once

#include <optional>
#include <string>

namespace avrtazu {

class Project;

// Project > Export compile_commands.json: the file the last build wrote into its build
// directory, copied where the user chooses (an editor's language server looks in the source
// folder and above it).
class CompileCommandsExport {
public:
    // Asks for the place through the dialog service; the Linux path written, or nullopt with
    // *problem (empty when the user cancelled).
    static std::optional<std::string> run(const Project& project, std::string* problem);
};

} // namespace avrtazu
