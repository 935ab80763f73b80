#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace vinta {

class ScheduleDocument;

// The schedule's persisted tables as JSON (UTF-8), cells exactly as the store
// holds them.
std::string DumpJson(const ScheduleDocument& schedule);

// The same text handed to `sink` a piece at a time, so a large schedule's dump
// never sits in memory whole. Stops and returns false when `sink` does.
bool WriteJson(const ScheduleDocument& schedule, const std::function<bool(std::string_view)>& sink);

}  // namespace vinta
