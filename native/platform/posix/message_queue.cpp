// Per-thread message queues. A thread gets its id and its queue the first
// time it asks for its id (get_message does); the queue goes away when the
// thread ends, after which posting to it fails, as it does for an id that was
// never handed out. Ids come from a counter and are never reused.
#include "platform/platform.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

struct Queue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Message> messages;
};

struct Queues {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> byThread;
};

// Never destroyed: threads may end after static destruction has begun.
Queues &queues() {
    static auto *instance = new Queues;
    return *instance;
}

std::atomic<ThreadId> nextId{1};

// The calling thread's id and queue, registered on first use and removed
// when the thread ends.
class ThreadQueue {
public:
    ThreadQueue() : id_(nextId.fetch_add(1)), queue_(std::make_shared<Queue>()) {
        auto &all = queues();
        std::lock_guard lock(all.mutex);
        all.byThread.emplace(id_, queue_);
    }
    ~ThreadQueue() {
        auto &all = queues();
        std::lock_guard lock(all.mutex);
        all.byThread.erase(id_);
    }
    ThreadQueue(const ThreadQueue &) = delete;
    ThreadQueue &operator=(const ThreadQueue &) = delete;

    ThreadId id() const { return id_; }
    Queue &queue() { return *queue_; }

private:
    ThreadId id_;
    std::shared_ptr<Queue> queue_;
};

ThreadQueue &this_thread_queue() {
    thread_local ThreadQueue instance;
    return instance;
}

} // namespace

ThreadId current_thread() { return this_thread_queue().id(); }

int get_message(Message &message) {
    Queue &queue = this_thread_queue().queue();
    std::unique_lock lock(queue.mutex);
    queue.arrived.wait(lock, [&] { return !queue.messages.empty(); });
    message = queue.messages.front();
    queue.messages.pop_front();
    return message.id == kQuitMessage ? 0 : 1;
}

void dispatch_message(const Message &) {}

bool post_message(ThreadId thread, const Message &message) {
    std::shared_ptr<Queue> queue;
    {
        auto &all = queues();
        std::lock_guard lock(all.mutex);
        const auto found = all.byThread.find(thread);
        if (found == all.byThread.end()) return false;
        queue = found->second;
    }
    {
        std::lock_guard lock(queue->mutex);
        queue->messages.push_back(message);
    }
    queue->arrived.notify_one();
    return true;
}

} // namespace platform
