#pragma once

#include "make/make_actions.h"
#include "make/makefile.h"

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// The commands of one target, expanded and ready to run one after another.
class Recipe {
public:
    // Expands the rule's commands for the target. A command that cannot be expanded ends the
    // recipe: the commands before it still run, then it fails with the reason.
    Recipe(const Makefile& makefile, const std::string& target, const MakeRule& rule);

    bool empty() const { return lines_.empty() && !expansionError_; }

    // Echoes and runs the commands; a failure ends the recipe unless the command began with
    // "-". Without output everything is printed as it comes, with it written there.
    // Returns whether the recipe succeeded.
    bool run(MakeActions& actions, JobOutput* output) const;

private:
    struct Line {
        std::string command;
        bool echo = true;
        bool ignoreFailure = false;
    };

    std::string target_;
    std::vector<Line> lines_;
    std::optional<std::string> expansionError_;
};

} // namespace avrtazu
