#pragma once

#include <string>

namespace avrtazu {

// What the build driver needs of the project tree window: the output files it shows under
// "Other files". The tree implements it; the build layer knows nothing else of it.
class BuildTreeView {
public:
    virtual ~BuildTreeView() = default;

    // Whether the tree shows the file in the group of its kind.
    virtual bool containsFile(const std::string& path) = 0;
    // Removes the file from the project and the tree, as the tree's remove command does.
    virtual void removeFile(const std::string& path) = 0;
    // Adds the file to the project list and the tree group of its kind (listing and map files
    // are "other" files); reports and swallows its own errors.
    virtual void addFileToProject(const std::string& path) = 0;
};

} // namespace avrtazu
