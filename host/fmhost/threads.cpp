#include "threads.h"

#include "callbacks.h"
#include "leaks.h"
#include "session.h"
#include "steps.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace fmhost {

namespace {

constexpr auto kIdleInterval = std::chrono::milliseconds(10);

// A stdio stream into memory: one thread's results until all have ended.
class MemoryStream {
public:
    MemoryStream() : file_(open_memstream(&data_, &size_)) {}
    ~MemoryStream() {
        if (file_)
            std::fclose(file_);
        std::free(data_);
    }
    MemoryStream(const MemoryStream &) = delete;
    MemoryStream &operator=(const MemoryStream &) = delete;

    std::FILE *file() const { return file_; }
    // What was written; the stream is closed.
    std::string take() {
        if (file_) {
            std::fclose(file_);
            file_ = nullptr;
        }
        return data_ ? std::string(data_, size_) : std::string();
    }

private:
    char *data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE *file_;
};

// One host thread's run of the steps; its results as text.
std::string run_thread(unsigned thread, Solution solution, const std::string &applicationVersion,
                       const std::vector<std::string> &lines, bool json) {
    if (!solution.tables.empty()) {
        Table &table = solution.tables[solution.layout];
        if (!table.records.empty())
            table.current = (thread - 1) % table.records.size() + 1;
    }
    Session session(std::move(solution), applicationVersion);
    HostCallbacks callbacks(session);
    MemoryStream results;
    if (!results.file())
        return "fmhost: no memory for the results of thread " + std::to_string(thread) + "\n";
    Output output(results.file(), json);
    output.set_thread(thread);
    LeakCheck noLeakCheck(false); // the main thread checks once all have ended
    // The plug-in's messages stay with the main thread; the calls of its
    // functions come from here.
    Runner runner(session, callbacks, output, nullptr, noLeakCheck);
    runner.set_script_running(true);
    for (const std::string &line : lines) {
        if (runner.halted())
            break;
        runner.run_line(line);
    }
    return results.take();
}

void print_results(std::FILE *to, unsigned thread, const std::string &text, bool json) {
    if (json) {
        std::fwrite(text.data(), 1, text.size(), to);
        return;
    }
    const std::string prefix = "[" + std::to_string(thread) + "] ";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
        std::fputs(prefix.c_str(), to);
        std::fwrite(text.data() + start, 1, stop - start, to);
        start = stop;
    }
}

} // namespace

void run_on_threads(unsigned threads, const Solution &solution, const std::string &applicationVersion,
                    const std::vector<std::string> &lines, Output &output, Plugin *plugin) {
    std::vector<std::string> results(threads);
    std::atomic<unsigned> running{threads};
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned k = 1; k <= threads; ++k)
        workers.emplace_back([&, k] {
            try {
                results[k - 1] = run_thread(k, solution, applicationVersion, lines, output.json());
            } catch (const std::exception &e) {
                results[k - 1] = std::string("fmhost: thread failed: ") + e.what() + "\n";
            }
            --running;
        });
    while (running > 0) {
        if (plugin)
            plugin->idle(0);
        std::this_thread::sleep_for(kIdleInterval);
    }
    for (std::thread &worker : workers)
        worker.join();
    for (unsigned k = 1; k <= threads; ++k)
        print_results(output.stream(), k, results[k - 1], output.json());
    std::fflush(output.stream());
}

} // namespace fmhost
