// Any bytes as a GNOME Planner file: no crash, no read outside the input,
// the same plan read whole or in pieces, levels and progress within what a
// schedule holds.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "exchange/Planner.h"
#include "store/Tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto whole = vinta::ReadPlanner(bytes, error);
    std::istringstream in(bytes);
    auto pieces = vinta::ReadPlanner(in, error);
    if (whole.has_value() != pieces.has_value()) std::abort();
    if (!whole) return 0;
    if (whole->plan.tasks.size() != pieces->plan.tasks.size()) std::abort();
    int above = -1;
    for (const vinta::PlanTask& t : whole->plan.tasks) {
        if (t.level < 0 || t.level > vinta::kDeepestLevel || t.level > above + 1) std::abort();
        if (t.progress < 0 || t.progress > 100) std::abort();
        if (t.start && t.end && vinta::DaysFrom(*t.start, *t.end) < 0) std::abort();
        above = t.level;
    }
    return 0;
}
