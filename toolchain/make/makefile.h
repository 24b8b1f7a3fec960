#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace avrtazu {

// One target's rule, gathered from every rule line that names the target.
struct MakeRule {
    std::vector<std::string> prerequisites;
    std::vector<std::string> commands;
    // Line of the Makefile where the target was first named.
    int line = 0;
};

// The automatic variables of one command: $@, $< , $^ and $*.
struct RuleContext {
    std::string target;
    std::vector<std::string> prerequisites;
};

// A Makefile as read: its variables, its rules and its phony targets.
class Makefile {
public:
    // Variables keep their text unexpanded; "$(NAME)" is expanded where it is used.
    void setVariable(const std::string& name, const std::string& value);
    // Command-line assignments win over the Makefile's own.
    void overrideVariable(const std::string& name, const std::string& value);
    bool hasVariable(const std::string& name) const;
    std::string variable(const std::string& name) const;

    // Expands "$(NAME)", "${NAME}", "$$" and, with a context, the automatic variables.
    // A name that the Makefile does not set is looked up in the environment, else empty.
    std::string expand(const std::string& text, const RuleContext* context = nullptr) const;

    // A rule line: its prerequisites join those of earlier lines for the same target.
    void addRuleLine(const std::vector<std::string>& targets,
                     const std::vector<std::string>& prerequisites, int line);
    // A command for every target of the most recent rule line.
    void addCommand(const std::vector<std::string>& targets, const std::string& command);
    // Clears the commands of the targets when a later rule line brings its own.
    void resetCommands(const std::vector<std::string>& targets);

    const MakeRule* rule(const std::string& target) const;
    bool isPhony(const std::string& target) const;
    // The first target of the Makefile that does not begin with ".", empty when none.
    std::string defaultTarget() const;

private:
    std::string expandDepth(const std::string& text, const RuleContext* context, int depth) const;
    std::string lookup(const std::string& name, const RuleContext* context, int depth) const;

    std::map<std::string, std::string> variables_;
    std::set<std::string> overridden_;
    std::unordered_map<std::string, MakeRule> rules_;
    std::vector<std::string> targetOrder_;
};

} // namespace avrtazu
