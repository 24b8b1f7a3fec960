#include "make/makefile.h"

#include <cstdlib>
#include <stdexcept>

namespace avrtazu {

namespace {

// A variable that names itself, directly or not, would never end; a name built of names
// nests as deep as its brackets.
constexpr int maxExpansionDepth = 64;
// A variable that doubles itself a few dozen times would fill any memory.
constexpr std::size_t maxExpansionSize = std::size_t{1} << 18;

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) {
            text += ' ';
        }
        text += word;
    }
    return text;
}

std::string stemOf(const std::string& target) {
    const std::size_t dot = target.find_last_of('.');
    const std::size_t slash = target.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return target;
    }
    return target.substr(0, dot);
}

} // namespace

void Makefile::setVariable(const std::string& name, const std::string& value) {
    if (overridden_.count(name) == 0) {
        variables_[name] = value;
    }
}

void Makefile::overrideVariable(const std::string& name, const std::string& value) {
    variables_[name] = value;
    overridden_.insert(name);
}

bool Makefile::hasVariable(const std::string& name) const {
    return variables_.count(name) != 0;
}

std::string Makefile::variable(const std::string& name) const {
    const auto found = variables_.find(name);
    return found == variables_.end() ? std::string() : found->second;
}

std::string Makefile::expand(const std::string& text, const RuleContext* context) const {
    return expandDepth(text, context, 0);
}

std::string Makefile::lookup(const std::string& name, const RuleContext* context, int depth) const {
    if (context != nullptr) {
        if (name == "@") {
            return context->target;
        }
        if (name == "<") {
            return context->prerequisites.empty() ? std::string() : context->prerequisites.front();
        }
        if (name == "^") {
            return joined(context->prerequisites);
        }
        if (name == "*") {
            return stemOf(context->target);
        }
    }
    const auto found = variables_.find(name);
    if (found != variables_.end()) {
        return expandDepth(found->second, context, depth + 1);
    }
    const char* environment = std::getenv(name.c_str());
    return environment == nullptr ? std::string() : std::string(environment);
}

std::string Makefile::expandDepth(const std::string& text, const RuleContext* context,
                                  int depth) const {
    if (depth > maxExpansionDepth) {
        throw std::runtime_error("Variable references nest deeper than " +
                                 std::to_string(maxExpansionDepth) +
                                 " levels (a variable that references itself?)");
    }
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '$' || i + 1 >= text.size()) {
            result += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '$') {
            result += '$';
            ++i;
        } else if (next == '(' || next == '{') {
            const char close = next == '(' ? ')' : '}';
            // Find the matching bracket, so "$(A$(B))" takes the whole name.
            int level = 0;
            std::size_t end = i + 1;
            for (; end < text.size(); ++end) {
                if (text[end] == next) {
                    ++level;
                } else if (text[end] == close && --level == 0) {
                    break;
                }
            }
            if (end >= text.size()) {
                throw std::runtime_error("unterminated variable reference");
            }
            const std::string name =
                expandDepth(text.substr(i + 2, end - i - 2), context, depth + 1);
            result += lookup(name, context, depth);
            i = end;
        } else {
            result += lookup(std::string(1, next), context, depth);
            ++i;
        }
        if (result.size() > maxExpansionSize) {
            throw std::runtime_error("Variable expansion longer than " +
                                     std::to_string(maxExpansionSize) + " bytes");
        }
    }
    return result;
}

void Makefile::addRuleLine(const std::vector<std::string>& targets,
                           const std::vector<std::string>& prerequisites, int line) {
    for (const std::string& target : targets) {
        auto [entry, isNew] = rules_.try_emplace(target);
        if (isNew) {
            entry->second.line = line;
            targetOrder_.push_back(target);
        }
        for (const std::string& prerequisite : prerequisites) {
            entry->second.prerequisites.push_back(prerequisite);
        }
    }
}

void Makefile::addCommand(const std::vector<std::string>& targets, const std::string& command) {
    for (const std::string& target : targets) {
        rules_[target].commands.push_back(command);
    }
}

void Makefile::resetCommands(const std::vector<std::string>& targets) {
    for (const std::string& target : targets) {
        rules_[target].commands.clear();
    }
}

const MakeRule* Makefile::rule(const std::string& target) const {
    const auto found = rules_.find(target);
    return found == rules_.end() ? nullptr : &found->second;
}

bool Makefile::isPhony(const std::string& target) const {
    const MakeRule* phony = rule(".PHONY");
    if (phony == nullptr) {
        return false;
    }
    for (const std::string& name : phony->prerequisites) {
        if (name == target) {
            return true;
        }
    }
    return false;
}

std::string Makefile::defaultTarget() const {
    for (const std::string& target : targetOrder_) {
        if (!target.empty() && target.front() != '.') {
            return target;
        }
    }
    return {};
}

} // namespace avrtazu
