#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace avrtazu {

// Runs jobs on threads of their own and hands back each job's result and collected output
// when it ends, on the thread that started it.
class JobPool {
public:
    // A job fills its output and returns whether it succeeded.
    using Work = std::function<bool(std::string& output)>;

    struct Ended {
        std::size_t id = 0;
        bool succeeded = false;
        std::string output;
    };

    JobPool() = default;
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;
    ~JobPool();

    void start(std::size_t id, Work work);
    // Jobs started and not yet handed back by waitForOne.
    std::size_t running() const { return threads_.size(); }
    // Blocks until a job has ended. Only to be called while jobs are running.
    Ended waitForOne();

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    std::deque<Ended> finished_;
    std::map<std::size_t, std::thread> threads_;
};

} // namespace avrtazu
