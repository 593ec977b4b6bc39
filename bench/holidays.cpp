#include "calendar/HolidaySettings.h"
#include "calendar/Julius.h"

#include <benchmark/benchmark.h>

// The flags of every day of every month of 200 years, as a calendar asks for
// them when it draws a month; one iteration is the whole 200 years.
static void monthFlags(benchmark::State &state, HolidaySet set)
{
    HolidayRules rules;
    ApplyHolidaySet(rules, set);
    for (auto _ : state) {
        int sum = 0;
        for (int year = 1900; year < 2100; ++year)
            for (int month = 1; month <= 12; ++month)
                for (int day = 1, last = JuliusMonthDays(year, month); day <= last; ++day)
                    sum += int(rules.GetDayFlags(year, month, day).toInt());
        benchmark::DoNotOptimize(sum);
    }
    state.counters["months"] = benchmark::Counter(
        double(state.iterations()) * 200 * 12, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

static void lawMonths(benchmark::State &state)
{
    monthFlags(state, HolidaySet::Law);
}
static void classicMonths(benchmark::State &state)
{
    monthFlags(state, HolidaySet::Classic);
}
BENCHMARK(lawMonths)->Unit(benchmark::kMillisecond);
BENCHMARK(classicMonths)->Unit(benchmark::kMillisecond);

// A year seen for the first time: its table is built.
static void lawNewYear(benchmark::State &state)
{
    int year = 1948;
    for (auto _ : state) {
        HolidayRules rules;
        rules.setHolidaySet(HolidaySet::Law);
        benchmark::DoNotOptimize(rules.GetDayFlags(year, 5, 6));
        year = year == 2100 ? 1948 : year + 1;
    }
}
BENCHMARK(lawNewYear)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
