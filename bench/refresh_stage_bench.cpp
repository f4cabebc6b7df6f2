// The refresh's join and path stage over synthetic process tables: rows resolved against the
// per-instance cache, cold (every path read) and warm (nothing read). Time must grow linearly
// with the number of processes. The name sort that follows is shown apart (n log n). Host
// build.
#include "process/process_list.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tessaly;

namespace {

std::vector<ProcessRecord> Table(size_t count) {
    std::vector<ProcessRecord> table(count);
    for (size_t i = 0; i < count; ++i) {
        table[i].processId = static_cast<uint32_t>(4 * i + 8);
        table[i].creationTime = 132000000000000000ull + i * 7919;
        table[i].imageName = L"Process" + std::to_wstring((i * 7919) % count) + L".exe";
        table[i].workingSetKb = static_cast<uint32_t>((i * 104729) % 500000);
        table[i].threadCount = static_cast<uint32_t>(i % 64 + 1);
    }
    return table;
}

LastingFacts Reader(const ProcessRecord& record) {
    return {L"\\SystemRoot\\System32\\" + record.imageName,
            static_cast<int>(record.processId % 97)};
}

// Evicts the processor caches. A refresh runs once every few seconds at most, after the
// program and everything else on the machine have used the caches; timing it with the data
// of a small table still cached from the run before would flatter the small table alone.
void EvictCaches() {
    static std::vector<char> sweep(64 << 20);
    for (size_t i = 0; i < sweep.size(); i += 64)
        sweep[i] = static_cast<char>(sweep[i] + 1);
}

// `work` gets its own fresh copy of the table each run, made outside the timing: a refresh
// receives the table it just read.
template <class F> double MedianUs(int runs, const std::vector<ProcessRecord>& table, F&& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::vector<ProcessRecord> copy = table;
        EvictCaches();
        const auto start = std::chrono::steady_clock::now();
        work(std::move(copy));
        times.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    const size_t sizes[] = {100, 1000, 5000};
    double cold[3], warm[3], sort[3];
    for (int k = 0; k < 3; ++k) {
        const std::vector<ProcessRecord> table = Table(sizes[k]);
        cold[k] = MedianUs(41, table, [&](std::vector<ProcessRecord> fresh) {
            ProcessFactsCache cache;
            ResolveRows(std::move(fresh), cache, Reader, L"C:\\WINDOWS");
        });
        ProcessFactsCache cache;
        ResolveRows(table, cache, Reader, L"C:\\WINDOWS");
        warm[k] = MedianUs(41, table, [&](std::vector<ProcessRecord> fresh) {
            ResolveRows(std::move(fresh), cache, Reader, L"C:\\WINDOWS");
        });
        const std::vector<ProcessRecord> rows = ResolveRows(table, cache, Reader, L"C:\\WINDOWS");
        sort[k] = MedianUs(41, rows,
                           [](std::vector<ProcessRecord> fresh) { SortRows(fresh, SortState{}); });
        std::printf("%5zu processes: join+path cold %9.1f us, warm %9.1f us; name sort %9.1f us\n",
                    sizes[k], cold[k], warm[k], sort[k]);
    }
    std::printf("5000 / 1000 processes: cold %.2fx, warm %.2fx (linear is 5x; the limit is 6x)\n",
                cold[2] / cold[1], warm[2] / warm[1]);
    return 0;
}
