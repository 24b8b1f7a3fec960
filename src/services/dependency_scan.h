#pragma once

#include "model/source_file.h"

#include <string>
#include <vector>

namespace avrtazu {

class Project;

// Reads the dependency files the compiler leaves in <output directory>dep\ and lists the header
// files the sources include that are not project headers, in order of first appearance.
class DependencyScan {
public:
    // Logs at the debug level and gives nothing when the dependency folder is missing.
    static std::vector<SourceFile> externalHeaderFiles(const Project& project);

    // The headers named by the words of one dependency file's text (LF line ends), appended
    // to result unless an equal one is there; relative ones are taken under outputDirectory.
    static void collectHeaders(const std::string& text, const std::string& outputDirectory,
                               std::vector<SourceFile>& result);
};

} // namespace avrtazu
