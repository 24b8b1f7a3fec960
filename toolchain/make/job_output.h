#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace avrtazu {

class MakeActions;

// The output of one running job. In the foreground it is written out as it comes; otherwise it
// is held until the job is brought forward, or taken whole once the job has ended. The job's
// thread writes; the thread that runs the jobs brings it forward and takes what is held.
class JobOutput {
public:
    explicit JobOutput(MakeActions& actions) : actions_(actions) {}
    JobOutput(const JobOutput&) = delete;
    JobOutput& operator=(const JobOutput&) = delete;

    // Once in the foreground, a job stays there: its commands may write where tazumake writes.
    bool foreground() const;
    void write(std::string_view text);
    // Ends a line a tool left open, so that the next line starts on a line of its own.
    void endLine();
    // Writes what is held and lets the rest through as it comes.
    void bringForward();
    // What is held, leaving nothing.
    std::string takeHeld();

private:
    // With the lock held.
    void put(std::string_view text);

    MakeActions& actions_;
    mutable std::mutex mutex_;
    bool foreground_ = false;
    bool lineOpen_ = false;
    // Grows by appending only, so a job's megabytes are copied a bounded number of times.
    std::string held_;
};

} // namespace avrtazu
