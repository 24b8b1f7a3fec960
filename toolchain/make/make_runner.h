#pragma once

#include "make/job_pool.h"
#include "make/make_actions.h"
#include "make/makefile.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace avrtazu {

class Recipe;

// Brings targets up to date: a target is remade when it is phony, when its file is missing,
// when a prerequisite is newer, or when a prerequisite was remade in this run. An object's
// dependency list (dep\<stem>.o.d) adds the headers it names as prerequisites; one that no
// longer exists only forces the object to be remade.
//
// The prerequisites are walked without recursion, so no Makefile can exhaust the stack. With
// more than one job, recipes whose prerequisites are done run at once, each on a thread of its
// own; the oldest running job's output streams, the others' is held and said whole in the order
// the jobs started. With one job the output streams.
class MakeRunner {
public:
    MakeRunner(const Makefile& makefile, MakeActions& actions, int jobs = 1);

    // Makes the goals in order (the default target when there are none). Returns 0 when
    // everything is up to date, 2 after an error, which it has reported with a line holding
    // "Error" and a line holding "Stop". After a failure no new job starts; the running ones
    // finish first.
    int make(const std::vector<std::string>& goals);

private:
    enum class Outcome { UpToDate, Remade, Failed, Missing };
    enum class State { Unvisited, Visiting, Walked, Done };
    // Dependency-list edges tolerate a missing file; an edge that closed a circle is dropped
    // from the order and only its file time counts.
    enum class EdgeKind { Rule, DependencyList, Dropped };

    struct Edge {
        std::size_t node;
        EdgeKind kind;
    };
    struct Node {
        std::string name;
        const MakeRule* rule = nullptr;
        std::vector<Edge> edges;
        // Nodes that wait for this one, once per edge.
        std::vector<std::size_t> waiters;
        std::size_t pending = 0;
        std::size_t step = 0;
        State state = State::Unvisited;
        Outcome outcome = Outcome::UpToDate;
        // The file's time when it was decided, so an up-to-date file is looked at once.
        std::optional<std::filesystem::file_time_type> time;
        // A missing file is an error only when a rule or the command line asks for it.
        bool required = false;
        std::string neededBy;
    };
    // One step of a goal's order: a node to bring up to date, or a line to say.
    struct Step {
        std::size_t node;
        std::string note;
    };

    Outcome makeGoal(const std::string& goal);
    std::size_t nodeFor(const std::string& name);
    void addEdges(std::size_t node);
    std::vector<Step> walk(std::size_t root);
    Outcome execute(std::vector<Step>& steps, std::size_t root);
    // Outcome of a node whose prerequisites are done; Remade with the recipe when it must run.
    Outcome decide(std::size_t node, std::shared_ptr<const Recipe>& recipe);
    void finish(std::size_t node, Outcome outcome, std::vector<std::size_t>& ready);
    // A line of the runner's own, after the output of the jobs started before it.
    void say(const std::string& line);

    const Makefile& makefile_;
    MakeActions& actions_;
    std::size_t jobs_;
    std::vector<Node> nodes_;
    std::unordered_map<std::string, std::size_t> index_;
    std::unique_ptr<JobPool> pool_;
};

} // namespace avrtazu
