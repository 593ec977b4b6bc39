// 200 items of every kind evaluated over a year, as the schedule window and
// the agenda command do on each change.
#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "data/Data.h"
#include "data/DateValue.h"
#include "schedule/Schedule.h"
#include "settings/SettingsFile.h"

#include <benchmark/benchmark.h>

namespace {

void fillDocument(TData &data)
{
    for (int i = 0; i < 200; ++i) {
        std::unique_ptr<TItemRec> item = NewItemOfKind(i % 4);
        item->Title = QStringLiteral("item %1").arg(i);
        item->BeforeDays = i % 7;
        item->AfterDays = i % 5 == 0 ? -1 : i % 3;
        switch (i % 4) {
        case 0:
            item->HasStart = true;
            item->StartDate = EncodeDate(2026, 1 + i % 12, 1 + i % 28);
            item->HasEnd = i % 8 == 0;
            item->EndDate = item->StartDate + 5;
            break;
        case 1:
            for (int m = 1; m <= 12; ++m)
                item->Months[size_t(m)] = (m + i) % (1 + i % 3) == 0;
            item->Days[1] = 1 + i % 31;
            item->Days[2] = i % 2 ? 31 : 0;
            item->ShiftDays[5] = item->ShiftDays[6] = i % 3 != 0;
            item->ShiftHoliday = true;
            item->ShiftDir = i % 2;
            break;
        case 2:
            item->Weekdays[size_t(i % 7)] = true;
            item->Weekdays[size_t((i + 3) % 7)] = i % 5 == 2;
            item->WeekParity = i % 3;
            item->ShiftHoliday = i % 2 == 0;
            item->ShiftDir = i % 4 == 2;
            break;
        default:
            item->HasStart = i % 8 != 3;
            item->StartDate = EncodeDate(2026, 1 + i % 12, 1 + i % 28);
            break;
        }
        data.append(std::move(item));
    }
}

struct Fixture
{
    explicit Fixture(HolidaySet set = HolidaySet::Law)
    {
        ApplyHolidaySet(rules, set);
        fillDocument(data);
    }
    HolidayRules rules;
    // No file behind it: the header defaults are the built-in ones.
    SettingsFile settings {QString()};
    TData data {settings};
    const int from = int(EncodeDate(2026, 1, 1));
    const int to = int(EncodeDate(2026, 12, 31));
};

// A view keeps its evaluator: the holiday bits are known after the first run.
void BM_DocumentYear(benchmark::State &state)
{
    Fixture f;
    ScheduleEvaluator evaluator(f.rules);
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluator.documentOccurrences(f.data, f.from, f.to));
}
BENCHMARK(BM_DocumentYear)->Unit(benchmark::kMillisecond);

// The first run after a change of the holiday rules asks the rules per day:
// today's law, then the classic holiday lines.
void BM_DocumentYearColdHolidays(benchmark::State &state)
{
    Fixture f(state.range(0) == 0 ? HolidaySet::Law : HolidaySet::Classic);
    for (auto _ : state) {
        ScheduleEvaluator evaluator(f.rules);
        benchmark::DoNotOptimize(evaluator.documentOccurrences(f.data, f.from, f.to));
    }
}
BENCHMARK(BM_DocumentYearColdHolidays)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
