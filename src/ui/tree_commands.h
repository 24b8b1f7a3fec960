#pragma once

#include "services/hresult.h"

#include <string>

namespace avrtazu {

// What the project tree asks of the plug-in object. The plug-in object lives above the user
// interface, so it implements this and hands itself to the tree.
class TreeCommands {
public:
    // The host's command numbers that the tree's menu sends.
    static constexpr long kBuildCommand = 0;
    static constexpr long kRebuildCommand = 2;
    static constexpr long kCleanCommand = 4;
    static constexpr long kOptionsCommand = 5;

    virtual ~TreeCommands() = default;

    // Runs a command as if the host had sent it; the plug-in refreshes the tree afterwards.
    virtual HRESULT ExecuteCommand(long command) = 0;
    // Makes one target of the project's Makefile: an object file name for "Compile file".
    virtual void makeTarget(const std::string& target) = 0;
    // Writes the whole project into the host's project document; the tree calls it after
    // every change of the file lists.
    virtual void saveProject() = 0;
};

} // namespace avrtazu
