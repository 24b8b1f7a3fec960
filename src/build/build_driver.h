#pragma once

#include "services/hresult.h"

#include <string>

namespace avrtazu {

class BuildTreeView;
class IGuiWorks;
class IPluginHub;
class Project;

// The plug-in's build commands: build, clean, make one target, compile the active file and
// export the Makefile. Each writes the Makefile (unless the project has its own), writes
// build.bat and runs it through CRedirect, whose lines and summary reach the host's build
// output. Keeps no state between calls. Errors of the project model travel to the caller,
// except in exportMakefile, which reports them itself.
//
// The host and the hub come from PlugInUtility at each call; the tree may be null (before the
// window exists), and then the output files go straight into the project's other files.
class BuildDriver {
public:
    BuildDriver(Project& project, BuildTreeView* tree);

    void setTree(BuildTreeView* tree) { m_tree = tree; }

    // Builds with the empty target; S_OK also when the compiler reported errors (they show in
    // the summary), E_FAIL when the build could not run or left no debug object file.
    HRESULT BuildProject();
    HRESULT cleanProject();
    // Makes one target (never empty): an object file name for a compile.
    void makeTarget(const std::string& target);
    // Makes the object file of the host's active file when it is a project source.
    HRESULT compileFile();
    // Writes the Makefile to a file the user chooses; refuses, before asking, a project that a
    // build would refuse.
    HRESULT exportMakefile();
    // Writes the output directory's Makefile, creating that folder one level deep if needed.
    void createMakefile();
    // Writes build.bat into the build directory and returns that directory; empty on failure.
    std::string writeBuildBat(const std::string& target);
    // Announces the project's header and source files to the host and the hub.
    void publishProjectFiles();
    // Adds a build's listing or map file to the other files, or drops it when missing.
    void insertOtherItemsIntoProject(const std::string& path);
    // Whether a build may start; fills in the tool locations of an installed toolchain.
    bool haveBuildTools();

    // The make target of a source file: its name up to the last "." followed by ".o", as
    // the tree's "Compile file" menu needs it too.
    static std::string objectTarget(const std::string& fileName);

private:
    // Creates the output directory when missing; false after reporting that it cannot be made.
    bool ensureOutputDirectory(const std::string& directory);
    // A name or setting that cannot be written safely into the Makefile or build.bat (see
    // BuildInputCheck; a source whose own name holds a blank among them: its folder has a
    // blank-free alias, the name has none) gets an error line, counted in a failed summary of
    // the run kind, before anything is written or run. True when any was refused.
    bool refuseUnsafeInput(int runKind);
    // Runs build.bat of the build directory; true when no error was counted.
    bool runBuildBat(const std::string& buildDirectory, int runKind);
    void output(const std::string& text, long kind);

    IGuiWorks* host() const;
    IPluginHub* hub() const;

    Project& m_project;
    BuildTreeView* m_tree;
};

} // namespace avrtazu
