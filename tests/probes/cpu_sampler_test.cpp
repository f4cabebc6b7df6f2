#include "probes/cpu_sampler.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

// One second in the counters' 100 ns units.
constexpr int64_t kSecond = 10'000'000;
// A plausible time of day (2024, counted from 1601), so deltas are taken from large values.
constexpr int64_t kNow = 133'500'000'000'000'000;

NtCounters Reading(int64_t idle, int64_t time, uint32_t processors = 1) {
    NtCounters c;
    c.ok = true;
    c.processors = processors;
    c.idleTime = idle;
    c.systemTime = time;
    return c;
}

NtCounters Failed() {
    return NtCounters{};
}

// Hands out prepared readings in order; the sampler must not read more than it is given.
class ScriptedCounters {
public:
    void Push(NtCounters c) { readings_->push_back(c); }
    clsWinNT::Reader Reader() {
        return [readings = readings_] {
            EXPECT_FALSE(readings->empty())
                << "the sampler read the counters more often than expected";
            if (readings->empty())
                return Failed();
            const NtCounters c = readings->front();
            readings->pop_front();
            return c;
        };
    }
    size_t Left() const { return readings_->size(); }

private:
    std::shared_ptr<std::deque<NtCounters>> readings_ = std::make_shared<std::deque<NtCounters>>();
};

TEST(clsWinNT, UsageFromIdleAndTimeDeltas) {
    struct Case {
        const char* what;
        int64_t idleDelta;
        uint32_t processors;
        int32_t usage;
    };
    const Case cases[] = {
        {"one processor fully idle", kSecond, 1, 0},
        {"one processor fully busy", 0, 1, 100},
        {"one processor a quarter idle", kSecond / 4, 1, 75},
        {"two processors fully idle", 2 * kSecond, 2, 0},
        {"two processors half idle", kSecond, 2, 50},
        {"two processors fully busy", 0, 2, 100},
        {"four processors, one idle", kSecond, 4, 75},
        {"eight processors, 0.4 idle in all", kSecond * 32 / 10, 8, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedCounters counters;
        const int64_t idle = 5'000 * kSecond;
        counters.Push(Reading(idle, kNow, c.processors));
        counters.Push(Reading(idle + c.idleDelta, kNow + kSecond, c.processors));
        clsWinNT sampler(counters.Reader());
        sampler.Initialize();
        EXPECT_EQ(sampler.Query(), c.usage);
        EXPECT_EQ(counters.Left(), 0u);
    }
}

TEST(clsWinNT, UsageRoundsToTheNearestWholePercent) {
    // Idle shares of 24.5 % and 25.4 % leave 75.5 % and 74.6 %: a half rounds up.
    EXPECT_EQ(clsWinNT::UsagePercent(245, 1000, 1), 76);
    EXPECT_EQ(clsWinNT::UsagePercent(254, 1000, 1), 75);
    EXPECT_EQ(clsWinNT::UsagePercent(1, 3, 1), 67);
    EXPECT_EQ(clsWinNT::UsagePercent(2, 3, 1), 33);
}

TEST(clsWinNT, UsageStaysWithinZeroAndHundred) {
    // Counters read a moment apart can give a little more idle time than elapsed time.
    EXPECT_EQ(clsWinNT::UsagePercent(kSecond + kSecond / 100, kSecond, 1), 0);
    EXPECT_EQ(clsWinNT::UsagePercent(-kSecond / 100, kSecond, 1), 100);
    // No processor count is taken as one.
    EXPECT_EQ(clsWinNT::UsagePercent(kSecond / 2, kSecond, 0), 50);
    // A clock stepped forward by one tick within a long idle interval.
    EXPECT_EQ(clsWinNT::UsagePercent(64 * kSecond, 1, 64), 0);
}

TEST(clsWinNT, EachQueryMeasuresSinceThePreviousOne) {
    ScriptedCounters counters;
    counters.Push(Reading(0, kNow));
    counters.Push(Reading(kSecond, kNow + kSecond));                   // idle
    counters.Push(Reading(kSecond, kNow + 2 * kSecond));               // busy
    counters.Push(Reading(kSecond + kSecond / 2, kNow + 3 * kSecond)); // half
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), 0);
    EXPECT_EQ(sampler.Query(), 100);
    EXPECT_EQ(sampler.Query(), 50);
}

TEST(clsWinNT, NoTimeAdvanceRepeatsThePreviousResult) {
    ScriptedCounters counters;
    counters.Push(Reading(0, kNow));
    counters.Push(Reading(kSecond / 4, kNow + kSecond));     // 75 %
    counters.Push(Reading(kSecond / 2, kNow + kSecond));     // same time: 75 % again
    counters.Push(Reading(kSecond / 2, kNow + 2 * kSecond)); // busy since the last reading
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), 75);
    EXPECT_EQ(sampler.Query(), 75);
    EXPECT_EQ(sampler.Query(), 100);
}

TEST(clsWinNT, ClockSetBackRepeatsThePreviousResult) {
    ScriptedCounters counters;
    counters.Push(Reading(0, kNow));
    counters.Push(Reading(kSecond / 2, kNow + kSecond));                  // 50 %
    counters.Push(Reading(kSecond, kNow - 3600 * kSecond));               // clock set back an hour
    counters.Push(Reading(2 * kSecond, kNow - 3600 * kSecond + kSecond)); // idle from there on
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), 50);
    EXPECT_EQ(sampler.Query(), 50);
    EXPECT_EQ(sampler.Query(), 0);
}

TEST(clsWinNT, FailedQueryLeavesTheIntervalUndisturbed) {
    ScriptedCounters counters;
    counters.Push(Reading(0, kNow));
    counters.Push(Failed());
    counters.Push(Reading(kSecond, kNow + 4 * kSecond)); // a quarter idle over four seconds
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), -1);
    EXPECT_EQ(sampler.Query(), 75);
}

TEST(clsWinNT, FailedQueryDoesNotReplaceTheRepeatedResult) {
    ScriptedCounters counters;
    counters.Push(Reading(0, kNow));
    counters.Push(Reading(kSecond / 4, kNow + kSecond)); // 75 %
    counters.Push(Failed());
    counters.Push(Reading(kSecond / 4, kNow + kSecond)); // no time since the last good reading
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), 75);
    EXPECT_EQ(sampler.Query(), -1);
    EXPECT_EQ(sampler.Query(), 75);
}

TEST(clsWinNT, FailedInitializeMeasuresFromTheFirstGoodQuery) {
    ScriptedCounters counters;
    counters.Push(Failed());
    counters.Push(Reading(1'000 * kSecond, kNow));
    counters.Push(Reading(1'000 * kSecond, kNow + kSecond)); // busy
    clsWinNT sampler(counters.Reader());
    sampler.Initialize();
    const int32_t first = sampler.Query();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 100);
    EXPECT_EQ(sampler.Query(), 100);
}

TEST(clsWinNT, QueryWithoutInitializeGivesAValidPercentThenMeasures) {
    ScriptedCounters counters;
    counters.Push(Reading(40'000 * kSecond, kNow, 4));
    counters.Push(Reading(40'000 * kSecond + 4 * kSecond, kNow + kSecond, 4)); // all idle
    clsWinNT sampler(counters.Reader());
    const int32_t first = sampler.Query();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 100);
    EXPECT_EQ(sampler.Query(), 0);
}

// A registry that hands out numbered keys and remembers what was done with them.
class FakePerfRegistry final : public PerfCounterRegistry {
public:
    struct Call {
        std::string what; // "open", "read", "close"
        std::wstring name;
        bool allAccess = false;
        bool operator==(const Call&) const = default;
        friend void PrintTo(const Call& call, std::ostream* os) {
            *os << call.what << ' ' << testing::PrintToString(call.name)
                << (call.allAccess ? " (all access)" : "");
        }
    };

    Key Open(const wchar_t* subKey, bool allAccess) override {
        calls.push_back({"open", subKey, allAccess});
        if (failOpen.count(subKey))
            return 0;
        const Key key = nextKey_++;
        open_[key] = subKey;
        ++opens;
        return key;
    }
    bool ReadDword(Key key, const wchar_t* valueName, uint32_t& value) override {
        const auto it = open_.find(key);
        EXPECT_NE(it, open_.end()) << "read from a key that is not open";
        if (it == open_.end())
            return false;
        EXPECT_EQ(std::wstring(valueName), L"KERNEL\\CPUUsage");
        calls.push_back({"read", it->second + L"|" + valueName, false});
        if (failReads)
            return false;
        value = cpuUsage;
        return true;
    }
    void Close(Key key) override {
        const auto it = open_.find(key);
        EXPECT_NE(it, open_.end()) << "closed a key that is not open";
        if (it == open_.end())
            return;
        calls.push_back({"close", it->second, false});
        open_.erase(it);
        ++closes;
    }

    size_t OpenKeys() const { return open_.size(); }

    std::vector<Call> calls;
    std::set<std::wstring> failOpen;
    bool failReads = false;
    uint32_t cpuUsage = 0;
    int opens = 0;
    int closes = 0;

private:
    Key nextKey_ = 0x100;
    std::map<Key, std::wstring> open_;
};

using Call = FakePerfRegistry::Call;

TEST(clsWin9x, InitializeStartsTheCounterThenOpensItsDataReadOnly) {
    auto registry = std::make_shared<FakePerfRegistry>();
    clsWin9x sampler(registry);
    sampler.Initialize();
    const std::vector<Call> expected = {
        {"open", L"PerfStats\\StartStat", true},
        {"read", L"PerfStats\\StartStat|KERNEL\\CPUUsage", false},
        {"close", L"PerfStats\\StartStat", false},
        {"open", L"PerfStats\\StatData", false},
    };
    EXPECT_EQ(registry->calls, expected);
    EXPECT_EQ(registry->OpenKeys(), 1u);
}

TEST(clsWin9x, QueryReadsTheCounterAndRepeatsItWhenAReadFails) {
    auto registry = std::make_shared<FakePerfRegistry>();
    clsWin9x sampler(registry);
    sampler.Initialize();
    registry->calls.clear();

    registry->cpuUsage = 37;
    EXPECT_EQ(sampler.Query(), 37);
    registry->cpuUsage = 100;
    EXPECT_EQ(sampler.Query(), 100);
    registry->failReads = true;
    registry->cpuUsage = 5;
    EXPECT_EQ(sampler.Query(), 100);
    EXPECT_EQ(sampler.Query(), 100);
    registry->failReads = false;
    EXPECT_EQ(sampler.Query(), 5);

    for (const Call& call : registry->calls)
        EXPECT_EQ(call.name, L"PerfStats\\StatData|KERNEL\\CPUUsage");
}

TEST(clsWin9x, WithoutInitializeEveryResultIsZero) {
    auto registry = std::make_shared<FakePerfRegistry>();
    registry->cpuUsage = 42;
    {
        clsWin9x sampler(registry);
        EXPECT_EQ(sampler.Query(), 0);
        EXPECT_EQ(sampler.Query(), 0);
    }
    EXPECT_TRUE(registry->calls.empty());
}

TEST(clsWin9x, TerminateClosesTheDataKeyAndStopsTheCounter) {
    auto registry = std::make_shared<FakePerfRegistry>();
    clsWin9x sampler(registry);
    sampler.Initialize();
    registry->calls.clear();
    sampler.Terminate();
    const std::vector<Call> expected = {
        {"close", L"PerfStats\\StatData", false},
        {"open", L"PerfStats\\StopStat", true},
        {"read", L"PerfStats\\StopStat|KERNEL\\CPUUsage", false},
        {"close", L"PerfStats\\StopStat", false},
    };
    EXPECT_EQ(registry->calls, expected);
    EXPECT_EQ(registry->OpenKeys(), 0u);
}

TEST(clsWin9x, KeepsTheLastValueAfterTerminate) {
    auto registry = std::make_shared<FakePerfRegistry>();
    clsWin9x sampler(registry);
    sampler.Initialize();
    registry->cpuUsage = 12;
    EXPECT_EQ(sampler.Query(), 12);
    sampler.Terminate();
    registry->cpuUsage = 90;
    EXPECT_EQ(sampler.Query(), 12);
}

TEST(clsWin9x, NoKeyIsLeftOpenWhateverTheOrderOfCalls) {
    struct Scenario {
        const char* what;
        std::set<std::wstring> failOpen;
        void (*run)(clsWin9x&);
    };
    const Scenario scenarios[] = {
        {"initialize, query, terminate",
         {},
         [](clsWin9x& s) {
             s.Initialize();
             s.Query();
             s.Terminate();
         }},
        {"initialize, destroy", {}, [](clsWin9x& s) { s.Initialize(); }},
        {"initialize twice",
         {},
         [](clsWin9x& s) {
             s.Initialize();
             s.Initialize();
             s.Query();
         }},
        {"terminate twice",
         {},
         [](clsWin9x& s) {
             s.Initialize();
             s.Terminate();
             s.Terminate();
         }},
        {"terminate only", {}, [](clsWin9x& s) { s.Terminate(); }},
        {"reinitialize after terminate",
         {},
         [](clsWin9x& s) {
             s.Initialize();
             s.Terminate();
             s.Initialize();
             s.Query();
         }},
        {"start key missing",
         {L"PerfStats\\StartStat"},
         [](clsWin9x& s) {
             s.Initialize();
             s.Query();
             s.Terminate();
         }},
        {"data key missing",
         {L"PerfStats\\StatData"},
         [](clsWin9x& s) {
             s.Initialize();
             s.Query();
             s.Terminate();
         }},
        {"stop key missing",
         {L"PerfStats\\StopStat"},
         [](clsWin9x& s) {
             s.Initialize();
             s.Query();
             s.Terminate();
         }},
    };
    for (const auto& scenario : scenarios) {
        SCOPED_TRACE(scenario.what);
        auto registry = std::make_shared<FakePerfRegistry>();
        registry->failOpen = scenario.failOpen;
        {
            clsWin9x sampler(registry);
            scenario.run(sampler);
        }
        EXPECT_EQ(registry->OpenKeys(), 0u);
        EXPECT_EQ(registry->opens, registry->closes);
    }
}

TEST(clsWin9x, MissingDataKeyGivesZero) {
    auto registry = std::make_shared<FakePerfRegistry>();
    registry->failOpen = {L"PerfStats\\StatData"};
    registry->cpuUsage = 55;
    clsWin9x sampler(registry);
    sampler.Initialize();
    EXPECT_EQ(sampler.Query(), 0);
}

} // namespace
} // namespace tessaly
