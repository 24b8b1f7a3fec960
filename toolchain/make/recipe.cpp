#include "make/recipe.h"

#include <stdexcept>

namespace avrtazu {

namespace {

const char* const prefix = "tazumake: ";

} // namespace

Recipe::Recipe(const Makefile& makefile, const std::string& target, const MakeRule& rule)
    : target_(target) {
    const RuleContext context{target, rule.prerequisites};
    for (const std::string& text : rule.commands) {
        std::string command;
        try {
            command = makefile.expand(text, &context);
        } catch (const std::runtime_error& error) {
            expansionError_ = error.what();
            return;
        }
        Line line;
        std::size_t start = 0;
        while (start < command.size() &&
               (command[start] == '@' || command[start] == '-' || command[start] == '+' ||
                command[start] == ' ' || command[start] == '\t')) {
            line.echo = line.echo && command[start] != '@';
            line.ignoreFailure = line.ignoreFailure || command[start] == '-';
            ++start;
        }
        line.command = command.substr(start);
        if (!line.command.empty()) {
            lines_.push_back(std::move(line));
        }
    }
}

bool Recipe::run(MakeActions& actions, JobOutput* output) const {
    const auto say = [&](const std::string& text) { actions.report(text, output); };
    for (const Line& line : lines_) {
        if (line.echo) {
            say(line.command);
        }
        const int status = actions.run(line.command, output);
        // The next line starts on a line of its own, whatever the tool printed last.
        if (output != nullptr) {
            output->endLine();
        }
        if (status != 0) {
            const std::string report =
                std::string(prefix) + "*** [" + target_ + "] Error " + std::to_string(status);
            if (line.ignoreFailure) {
                say(report + " (ignored)");
                continue;
            }
            say(report);
            return false;
        }
    }
    if (expansionError_) {
        say(std::string(prefix) + "*** [" + target_ + "] Error: " + *expansionError_);
        return false;
    }
    return true;
}

} // namespace avrtazu
