#include "make/job_pool.h"

#include <exception>
#include <string>
#include <utility>

namespace avrtazu {

JobPool::~JobPool() {
    for (auto& [id, thread] : threads_) {
        thread.join();
    }
}

void JobPool::start(std::size_t id, Work work) {
    threads_.emplace(id, std::thread([this, id, work = std::move(work)] {
                         Ended result;
                         result.id = id;
                         try {
                             result.succeeded = work(result.output);
                         } catch (const std::exception& error) {
                             // A job that fails in itself fails as a command does, with a reason;
                             // an exception must not end the whole process on this thread.
                             result.output +=
                                 std::string("tazumake: *** Error: ") + error.what() + "\n";
                             result.succeeded = false;
                         }
                         const std::lock_guard lock(mutex_);
                         finished_.push_back(std::move(result));
                         ended_.notify_one();
                     }));
}

JobPool::Ended JobPool::waitForOne() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !finished_.empty(); });
    Ended result = std::move(finished_.front());
    finished_.pop_front();
    lock.unlock();
    const auto thread = threads_.find(result.id);
    thread->second.join();
    threads_.erase(thread);
    return result;
}

} // namespace avrtazu
