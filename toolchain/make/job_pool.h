#pragma once

#include "make/job_output.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace avrtazu {

class MakeActions;

// Runs jobs on threads of their own and hands back each job's result when it ends, on the
// thread that started it. Output comes out in the order the jobs started: the oldest running
// job (the foreground job) writes straight out as its tools print; the others' output is held
// and written whole once every job started before them has been written.
class JobPool {
public:
    // A job writes its output and returns whether it succeeded.
    using Work = std::function<bool(JobOutput& output)>;

    struct Ended {
        std::size_t id = 0;
        bool succeeded = false;
    };

    explicit JobPool(MakeActions& actions) : actions_(actions) {}
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;
    ~JobPool();

    void start(std::size_t id, Work work);
    // Jobs started and not yet handed back by waitForOne.
    std::size_t running() const { return threads_.size(); }
    // Blocks until a job has ended. Only to be called while jobs are running.
    Ended waitForOne();
    // A line of the runner's own, written after the output of every job started before it.
    void say(const std::string& line);

private:
    // A job's output, or a line (without output, ended).
    struct Entry {
        std::size_t id = 0;
        std::unique_ptr<JobOutput> output;
        bool ended = false;
        std::string text;
    };

    // Writes the ended entries at the front and brings the first running job forward.
    void writeInOrder();

    MakeActions& actions_;
    std::deque<Entry> order_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::deque<Ended> finished_;
    std::map<std::size_t, std::thread> threads_;
};

} // namespace avrtazu
