#include "make/make_runner.h"

#include "make/dependency_list.h"
#include "make/job_pool.h"
#include "make/recipe.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <queue>
#include <set>

namespace avrtazu {

namespace {

const char* const prefix = "tazumake: ";

std::string noRuleMessage(const std::string& target, const std::string& neededBy) {
    std::string message =
        std::string(prefix) + "*** Error: No rule to make target '" + target + "'";
    if (!neededBy.empty()) {
        message += ", needed by '" + neededBy + "'";
    }
    return message + ".";
}

} // namespace

MakeRunner::MakeRunner(const Makefile& makefile, MakeActions& actions, int jobs)
    : makefile_(makefile), actions_(actions), jobs_(static_cast<std::size_t>(std::max(jobs, 1))) {}

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
        const Outcome outcome = makeGoal(goal);
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

MakeRunner::Outcome MakeRunner::makeGoal(const std::string& goal) {
    const std::size_t root = nodeFor(goal);
    if (nodes_[root].state == State::Done) {
        return nodes_[root].outcome;
    }
    nodes_[root].required = true;
    std::vector<Step> steps = walk(root);
    return execute(steps, root);
}

std::size_t MakeRunner::nodeFor(const std::string& name) {
    const auto [found, isNew] = index_.try_emplace(name, nodes_.size());
    if (isNew) {
        nodes_.emplace_back();
        nodes_.back().name = name;
        nodes_.back().rule = makefile_.rule(name);
    }
    return found->second;
}

void MakeRunner::addEdges(std::size_t node) {
    const MakeRule* rule = nodes_[node].rule;
    if (rule == nullptr) {
        return;
    }
    const std::string name = nodes_[node].name;
    std::vector<Edge> edges;
    for (const std::string& prerequisite : rule->prerequisites) {
        edges.push_back({nodeFor(prerequisite), EdgeKind::Rule});
    }
    const std::string listFile = DependencyList::fileFor(name);
    if (const auto text = listFile.empty() ? std::nullopt : actions_.readText(listFile)) {
        std::set<std::string> known(rule->prerequisites.begin(), rule->prerequisites.end());
        known.insert(name);
        for (const std::string& file : DependencyList::parse(*text)) {
            if (known.insert(file).second) {
                edges.push_back({nodeFor(file), EdgeKind::DependencyList});
            }
        }
    }
    nodes_[node].edges = std::move(edges);
}

// Depth first, in the order of the prerequisites, with an explicit stack. The order of the
// steps is the order a one-job make runs the recipes in.
std::vector<MakeRunner::Step> MakeRunner::walk(std::size_t root) {
    struct Frame {
        std::size_t node;
        std::size_t next;
    };
    std::vector<Step> steps;
    std::vector<Frame> stack{{root, 0}};
    nodes_[root].state = State::Visiting;
    addEdges(root);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::size_t parent = frame.node;
        if (frame.next < nodes_[parent].edges.size()) {
            Edge& edge = nodes_[parent].edges[frame.next++];
            Node& child = nodes_[edge.node];
            if (edge.kind == EdgeKind::Rule && !child.required) {
                child.required = true;
                child.neededBy = nodes_[parent].name;
            }
            if (child.state == State::Unvisited) {
                child.state = State::Visiting;
                const std::size_t next = edge.node;
                stack.push_back({next, 0});
                addEdges(next);
            } else if (child.state == State::Visiting) {
                steps.push_back({0, std::string(prefix) + "Circular " + nodes_[parent].name +
                                        " <- " + child.name + " dependency dropped."});
                edge.kind = EdgeKind::Dropped;
            }
            continue;
        }
        Node& node = nodes_[parent];
        node.state = State::Walked;
        node.step = steps.size();
        node.pending = 0;
        for (const Edge& edge : node.edges) {
            if (edge.kind != EdgeKind::Dropped && nodes_[edge.node].state != State::Done) {
                ++node.pending;
                nodes_[edge.node].waiters.push_back(parent);
            }
        }
        steps.push_back({parent, {}});
        stack.pop_back();
    }
    return steps;
}

MakeRunner::Outcome MakeRunner::execute(std::vector<Step>& steps, std::size_t root) {
    // The lowest ready step goes first, so one job keeps the walk's order exactly.
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!steps[i].note.empty() || nodes_[steps[i].node].pending == 0) {
            ready.push(i);
        }
    }
    std::vector<std::size_t> released;
    const auto settle = [&](std::size_t node, Outcome outcome) {
        released.clear();
        finish(node, outcome, released);
        for (const std::size_t step : released) {
            ready.push(step);
        }
        return outcome != Outcome::Failed;
    };

    bool failed = false;
    for (;;) {
        while (!failed && !ready.empty()) {
            const Step& step = steps[ready.top()];
            if (!step.note.empty()) {
                say(step.note);
                ready.pop();
                continue;
            }
            const std::size_t node = step.node;
            if (jobs_ > 1 && pool_ && pool_->running() >= jobs_) {
                break;
            }
            ready.pop();
            std::shared_ptr<const Recipe> recipe;
            const Outcome outcome = decide(node, recipe);
            if (!recipe) {
                failed = !settle(node, outcome);
                continue;
            }
            if (jobs_ == 1) {
                failed = !settle(node, recipe->run(actions_, nullptr) ? Outcome::Remade
                                                                      : Outcome::Failed);
                continue;
            }
            if (!pool_) {
                pool_ = std::make_unique<JobPool>(actions_);
            }
            pool_->start(
                node, [this, recipe](JobOutput& output) { return recipe->run(actions_, &output); });
        }
        if (!pool_ || pool_->running() == 0) {
            break;
        }
        const JobPool::Ended ended = pool_->waitForOne();
        const bool succeeded =
            settle(ended.id, ended.succeeded ? Outcome::Remade : Outcome::Failed);
        failed = failed || !succeeded;
    }
    return failed ? Outcome::Failed : nodes_[root].outcome;
}

MakeRunner::Outcome MakeRunner::decide(std::size_t index, std::shared_ptr<const Recipe>& recipe) {
    Node& node = nodes_[index];
    const auto targetTime = actions_.timeOf(node.name);
    node.time = targetTime;
    if (node.rule == nullptr) {
        if (targetTime) {
            return Outcome::UpToDate;
        }
        if (node.required) {
            say(noRuleMessage(node.name, node.neededBy));
            return Outcome::Failed;
        }
        return Outcome::Missing;
    }
    bool remake = makefile_.isPhony(node.name) || !targetTime;
    for (const Edge& edge : node.edges) {
        const Node& prerequisite = nodes_[edge.node];
        if (edge.kind != EdgeKind::Dropped) {
            if (prerequisite.outcome == Outcome::Missing && edge.kind == EdgeKind::Rule) {
                // Left missing by an earlier goal's dependency list, asked for by a rule now.
                say(noRuleMessage(prerequisite.name, node.name));
                return Outcome::Failed;
            }
            if (prerequisite.outcome != Outcome::UpToDate) {
                remake = true;
                continue;
            }
        }
        if (targetTime && !remake) {
            // An up-to-date file was looked at when it was decided; others are looked at now.
            const bool known =
                prerequisite.state == State::Done && prerequisite.outcome == Outcome::UpToDate;
            const auto prerequisiteTime =
                known ? prerequisite.time : actions_.timeOf(prerequisite.name);
            if (prerequisiteTime && *prerequisiteTime > *targetTime) {
                remake = true;
            }
        }
    }
    if (!remake) {
        return Outcome::UpToDate;
    }
    auto commands = std::make_shared<const Recipe>(makefile_, node.name, *node.rule);
    if (!commands->empty()) {
        recipe = std::move(commands);
    }
    return Outcome::Remade;
}

void MakeRunner::say(const std::string& line) {
    if (pool_) {
        pool_->say(line);
    } else {
        actions_.say(line);
    }
}

void MakeRunner::finish(std::size_t index, Outcome outcome, std::vector<std::size_t>& ready) {
    Node& node = nodes_[index];
    node.state = State::Done;
    node.outcome = outcome;
    for (const std::size_t waiter : node.waiters) {
        if (--nodes_[waiter].pending == 0) {
            ready.push_back(nodes_[waiter].step);
        }
    }
    node.waiters.clear();
}

} // namespace avrtazu
