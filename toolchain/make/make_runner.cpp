#include "make/make_runner.h"

#include <algorithm>
#include <stdexcept>

namespace avrtazu {

namespace {

const char* const prefix = "tazumake: ";

} // namespace

MakeRunner::MakeRunner(const Makefile& makefile, MakeActions& actions)
    : makefile_(makefile), actions_(actions) {}

int MakeRunner::make(const std::vector<std::string>& goals) {
    std::vector<std::string> targets = goals;
    if (targets.empty()) {
        const std::string first = makefile_.defaultTarget();
        if (first.empty()) {
            actions_.say(std::string(prefix) + "*** Error: No targets.");
            actions_.say(std::string(prefix) + "*** Stop.");
            return 2;
        }
        targets.push_back(first);
    }
    for (const std::string& goal : targets) {
        const Outcome outcome = update(goal, {});
        if (outcome == Outcome::Failed) {
            actions_.say(std::string(prefix) + "*** Stop.");
            return 2;
        }
        if (outcome == Outcome::UpToDate) {
            const MakeRule* rule = makefile_.rule(goal);
            if (rule != nullptr && !rule->commands.empty()) {
                actions_.say(std::string(prefix) + "'" + goal + "' is up to date.");
            } else {
                actions_.say(std::string(prefix) + "Nothing to be done for '" + goal + "'.");
            }
        }
    }
    return 0;
}

MakeRunner::Outcome MakeRunner::update(const std::string& target, const std::string& neededBy) {
    if (const auto known = done_.find(target); known != done_.end()) {
        return known->second;
    }
    if (std::find(inProgress_.begin(), inProgress_.end(), target) != inProgress_.end()) {
        actions_.say(std::string(prefix) + "Circular " + neededBy + " <- " + target +
                     " dependency dropped.");
        return Outcome::UpToDate;
    }
    const MakeRule* rule = makefile_.rule(target);
    const auto targetTime = actions_.timeOf(target);
    if (rule == nullptr) {
        if (targetTime) {
            return done_[target] = Outcome::UpToDate;
        }
        std::string message =
            std::string(prefix) + "*** Error: No rule to make target '" + target + "'";
        if (!neededBy.empty()) {
            message += ", needed by '" + neededBy + "'";
        }
        actions_.say(message + ".");
        return done_[target] = Outcome::Failed;
    }

    inProgress_.push_back(target);
    bool remake = makefile_.isPhony(target) || !targetTime;
    for (const std::string& prerequisite : rule->prerequisites) {
        const Outcome outcome = update(prerequisite, target);
        if (outcome == Outcome::Failed) {
            inProgress_.pop_back();
            return done_[target] = Outcome::Failed;
        }
        if (outcome == Outcome::Remade) {
            remake = true;
        } else if (targetTime) {
            const auto prerequisiteTime = actions_.timeOf(prerequisite);
            if (prerequisiteTime && *prerequisiteTime > *targetTime) {
                remake = true;
            }
        }
    }
    inProgress_.pop_back();
    if (!remake) {
        return done_[target] = Outcome::UpToDate;
    }
    return done_[target] = runCommands(target, *rule);
}

MakeRunner::Outcome MakeRunner::runCommands(const std::string& target, const MakeRule& rule) {
    const RuleContext context{target, rule.prerequisites};
    for (const std::string& text : rule.commands) {
        std::string command;
        try {
            command = makefile_.expand(text, &context);
        } catch (const std::runtime_error& error) {
            actions_.say(std::string(prefix) + "*** [" + target + "] Error: " + error.what());
            return Outcome::Failed;
        }
        bool echo = true;
        bool ignoreFailure = false;
        std::size_t start = 0;
        while (start < command.size() &&
               (command[start] == '@' || command[start] == '-' || command[start] == '+' ||
                command[start] == ' ' || command[start] == '\t')) {
            echo = echo && command[start] != '@';
            ignoreFailure = ignoreFailure || command[start] == '-';
            ++start;
        }
        command = command.substr(start);
        if (command.empty()) {
            continue;
        }
        if (echo) {
            actions_.say(command);
        }
        const int status = actions_.run(command);
        if (status != 0) {
            const std::string report =
                std::string(prefix) + "*** [" + target + "] Error " + std::to_string(status);
            if (ignoreFailure) {
                actions_.say(report + " (ignored)");
                continue;
            }
            actions_.say(report);
            return Outcome::Failed;
        }
    }
    return Outcome::Remade;
}

} // namespace avrtazu
