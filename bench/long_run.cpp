// A long run in one process: CALLS plug-in function calls and QUERIES
// queries against an SQLite database, through the host's calculation engine
// as fmhost runs a step. Every result is checked, the host's live objects
// must be back to zero after every call, and the process's resident memory
// is read after a warm-up (the first tenth of the run) and at the end.
//
//   long_run PLUGIN DATABASE [CALLS [QUERIES [MAX_GROWTH_MB]]]
//
// DATABASE is an SQLite file (made afresh); the defaults are 1,000,000 calls
// and 10,000 queries. The calls go round jdbcVersion, jdbcGetValue,
// jdbcGetNumberValue and jdbcLastError; a query, a SELECT of one of the
// table's rows, comes after every CALLS / QUERIES calls and the reads that
// follow it must give that row. Exit 1 for a wrong result, a live object
// after a call, or, with MAX_GROWTH_MB, resident memory that grew more than
// that after the warm-up.
#include "bench_plugin.h"

#include "calc/evaluator.h"
#include "fmhost/host_control.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRows = 100;
constexpr const char *kDriverJar = "file:/usr/share/java/sqlite-jdbc.jar";

// Resident memory of this process in bytes; 0 when unknown.
std::size_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

double megabytes(std::size_t bytes) { return static_cast<double>(bytes) / (1024 * 1024); }

class Run {
public:
    // Evaluates a calculation; false (reported) when its text is not the
    // expected one or a host object outlives it.
    bool expect(const std::string &calculation, const std::string &expected) {
        const calc::Result result = calc::evaluate(calculation, context_);
        const std::size_t live = fmhost::live_total();
        if (live != 0) {
            std::fprintf(stderr, "long_run: %zu host objects alive after %s: %s\n", live, calculation.c_str(),
                         fmhost::describe_live(fmhost::live_objects()).c_str());
            return false;
        }
        if (!result.ok()) {
            std::fprintf(stderr, "long_run: %s failed with %d: %s\n", calculation.c_str(), result.error().code,
                         result.error().message.c_str());
            return false;
        }
        const std::string text = result.value().toText();
        if (text != expected) {
            std::fprintf(stderr, "long_run: %s gave \"%s\", not \"%s\"\n", calculation.c_str(), text.c_str(),
                         expected.c_str());
            return false;
        }
        return true;
    }

private:
    bench::PluginContext context_;
};

bool set_up(Run &run, const std::string &database) {
    std::remove(database.c_str());
    if (!run.expect(std::string("jdbcLoadDriver ( \"org.sqlite.JDBC\" ; \"") + kDriverJar + "\" )", "1") ||
        !run.expect("jdbcOpenDatabase ( \"jdbc:sqlite:" + database + "\" )", "1") ||
        !run.expect("jdbcPerformQuery ( \"CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, amount NUMERIC)\" )",
                    "0"))
        return false;
    for (int id = 1; id <= kRows; ++id)
        if (!run.expect("jdbcPerformQuery ( \"INSERT INTO items (id, name, amount) VALUES (" + std::to_string(id) +
                            ", 'item " + std::to_string(id) + "', " + std::to_string(id) + ".5)\" )",
                        "1"))
            return false;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: long_run PLUGIN DATABASE [CALLS [QUERIES [MAX_GROWTH_MB]]]\n");
        return 2;
    }
    const std::string database = argv[2];
    const long long calls = argc > 3 ? std::atoll(argv[3]) : 1000000;
    const long long queries = argc > 4 ? std::atoll(argv[4]) : 10000;
    const double maxGrowth = argc > 5 ? std::atof(argv[5]) : -1;
    if (calls < 10 || queries < 1 || queries > calls) {
        std::fprintf(stderr, "long_run: give at least 10 calls and from 1 query to one per call\n");
        return 2;
    }
    const auto plugin = bench::start_plugin(argv[1]);
    if (!plugin)
        return 1;
    Run run;
    if (!set_up(run, database))
        return 1;

    const long long callsPerQuery = calls / queries;
    const long long warmUp = calls / 10;
    std::size_t residentAfterWarmUp = 0, residentMost = 0;
    std::vector<std::size_t> residentByTenths; // at the end of each tenth of the calls
    long long queried = 0;
    int row = 0;
    Clock::duration inQueries{};
    const auto start = Clock::now();
    auto measured = start;
    bool ok = true;
    for (long long call = 0; ok && call < calls; ++call) {
        if (call % callsPerQuery == 0 && queried < queries) {
            row = static_cast<int>(queried % kRows) + 1;
            const auto began = Clock::now();
            ok = run.expect("jdbcPerformQuery ( \"SELECT id, name, amount FROM items WHERE id = " +
                                std::to_string(row) + "\" )",
                            "1");
            inQueries += Clock::now() - began;
            ++queried;
        }
        switch (call % 4) {
        case 0:
            ok = ok && run.expect("jdbcVersion", "1.7");
            break;
        case 1:
            ok = ok && run.expect("jdbcGetValue ( \"name\" )", "item " + std::to_string(row));
            break;
        case 2:
            ok = ok && run.expect("jdbcGetNumberValue ( 3 )", std::to_string(row) + ".5");
            break;
        default:
            ok = ok && run.expect("jdbcLastError", "");
            break;
        }
        if ((call + 1) % warmUp == 0)
            residentByTenths.push_back(resident_bytes());
        if (call + 1 == warmUp) {
            residentAfterWarmUp = residentByTenths.back();
            measured = Clock::now();
        } else if (call >= warmUp && call % 1000 == 0) {
            residentMost = std::max(residentMost, resident_bytes());
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double measuredSeconds = std::chrono::duration<double>(Clock::now() - measured).count();
    const std::size_t residentAtEnd = resident_bytes();
    residentMost = std::max(residentMost, residentAtEnd);
    plugin->shutdown();
    if (!ok)
        return 1;

    const double growth = megabytes(residentAtEnd) - megabytes(residentAfterWarmUp);
    const double queryShare = std::chrono::duration<double>(inQueries).count();
    std::printf("calls                %12lld  (%.0f calls/s over the whole run, %.0f after the warm-up)\n", calls,
                static_cast<double>(calls) / seconds,
                static_cast<double>(calls - warmUp) / measuredSeconds);
    std::printf("queries              %12lld  (%.0f queries/s)\n", queried,
                queryShare > 0 ? static_cast<double>(queried) / queryShare : 0.0);
    std::printf("host objects alive after every call: 0\n");
    std::printf("resident memory      after the warm-up %.1f MB, at the end %.1f MB (%+.1f MB), most %.1f MB\n",
                megabytes(residentAfterWarmUp), megabytes(residentAtEnd), growth, megabytes(residentMost));
    std::printf("resident memory by tenths of the run (MB):");
    for (const std::size_t bytes : residentByTenths)
        std::printf(" %.1f", megabytes(bytes));
    std::printf("\n");
    if (maxGrowth >= 0 && growth > maxGrowth) {
        std::fprintf(stderr, "long_run: resident memory grew %.1f MB after the warm-up, more than %.1f MB\n", growth,
                     maxGrowth);
        return 1;
    }
    return 0;
}
