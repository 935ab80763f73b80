#pragma once
// Realistic schedules for benchmarks, demos and round-trip tests.

#include <cstdint>

namespace vinta {

class ScheduleDocument;

struct GenerateOptions {
    int rows = 1000;          // outline data rows
    uint32_t seed = 1;
    int firstYear = 2026;     // dates spread over this year and the next two
    int resources = 50;
    int links = 0;            // between tasks of a project, each from a row to one below it
};

// Fills a freshly set-up schedule. The same options give the same schedule.
void GenerateSchedule(ScheduleDocument& schedule, const GenerateOptions& options);

}  // namespace vinta
