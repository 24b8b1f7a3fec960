#include "services/output_directory.h"

#include "model/project.h"

namespace avrtazu {

std::string outputDirectory(const Project& project) {
    const std::string directory = project.outputDir();
    if (directory.find(':') != std::string::npos) {
        return directory;
    }
    return project.homePath() + directory;
}

} // namespace avrtazu
