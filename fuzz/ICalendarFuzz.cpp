// Any bytes as iCalendar: no crash, no read outside the input, and what is
// taken, written as to-dos again, reads back with as many tasks at the
// same levels.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/ICalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto read = vinta::ReadICalendar(text, error);
    if (!read) return 0;
    auto again = vinta::ReadICalendar(vinta::WriteICalendar(read->plan, "fuzz"), error);
    if (!again || again->plan.tasks.size() != read->plan.tasks.size()) std::abort();
    for (size_t i = 0; i < read->plan.tasks.size(); ++i)
        if (again->plan.tasks[i].level != read->plan.tasks[i].level) std::abort();
    return 0;
}
