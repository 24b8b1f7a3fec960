#pragma once

#include <ostream>
#include <string>

namespace avrtazu {

class Project;

// What show and devices print: a project as a user reads it (or as one JSON object for
// scripts), and the device catalogue.
class CliProjectView {
public:
    // The project read from the file at apsPath (a Linux path).
    static void print(const Project& project, const std::string& apsPath, bool json,
                      std::ostream& out);
    // Every listed device with its memory sizes, as the options sheet fills them in.
    static void printDevices(std::ostream& out);
};

} // namespace avrtazu
