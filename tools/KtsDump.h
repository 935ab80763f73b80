#pragma once
#include <string>

namespace vinta {

struct NewSchedule;

// The schedule's persisted tables as JSON (UTF-8), cells exactly as the store
// holds them.
std::string DumpJson(const NewSchedule& schedule);

}  // namespace vinta
