#include "make/job_pool.h"

#include "make/make_actions.h"

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
    Entry& entry = order_.emplace_back();
    entry.id = id;
    entry.output = std::make_unique<JobOutput>(actions_);
    JobOutput* output = entry.output.get();
    // A job with none before it is in the foreground from its first line.
    writeInOrder();
    threads_.emplace(id, std::thread([this, id, output, work = std::move(work)] {
                         Ended result;
                         result.id = id;
                         try {
                             result.succeeded = work(*output);
                         } catch (const std::exception& error) {
                             // A job that fails in itself fails as a command does, with a reason;
                             // an exception must not end the whole process on this thread.
                             output->endLine();
                             output->write(std::string("tazumake: *** Error: ") + error.what() +
                                           "\n");
                             result.succeeded = false;
                         }
                         const std::lock_guard lock(mutex_);
                         finished_.push_back(result);
                         ended_.notify_one();
                     }));
}

JobPool::Ended JobPool::waitForOne() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !finished_.empty(); });
    const Ended result = finished_.front();
    finished_.pop_front();
    lock.unlock();
    const auto thread = threads_.find(result.id);
    thread->second.join();
    threads_.erase(thread);
    for (Entry& entry : order_) {
        if (entry.output && entry.id == result.id) {
            entry.ended = true;
            entry.text = entry.output->takeHeld();
            break;
        }
    }
    writeInOrder();
    return result;
}

void JobPool::say(const std::string& line) {
    if (order_.empty()) {
        actions_.say(line);
        return;
    }
    Entry& entry = order_.emplace_back();
    entry.ended = true;
    entry.text = line + '\n';
}

void JobPool::writeInOrder() {
    while (!order_.empty()) {
        Entry& front = order_.front();
        if (!front.ended) {
            front.output->bringForward();
            return;
        }
        if (!front.text.empty()) {
            actions_.write(front.text);
        }
        order_.pop_front();
    }
}

} // namespace avrtazu
