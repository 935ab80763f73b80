// Any bytes as Microsoft Project XML: no crash, no read outside the input;
// read whole and read a piece at a time it is the same plan, and whatever is
// taken writes into a schedule that saves and loads.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "exchange/Mspdi.h"
#include "store/ScheduleDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error, streamError;
    auto whole = vinta::ReadMspdi(bytes, error);
    std::istringstream in(bytes);
    auto pieces = vinta::ReadMspdi(in, streamError);
    if (whole.has_value() != pieces.has_value()) std::abort();
    if (!whole) return 0;
    if (whole->plan.tasks.size() != pieces->plan.tasks.size() ||
        vinta::Describe(whole->report) != vinta::Describe(pieces->report))
        std::abort();
    vinta::ScheduleDocument doc;
    if (vinta::WritePlan(std::move(whole->plan), doc)) return 0;  // a text Shift-JIS cannot hold
    vinta::ScheduleDocument again;
    if (again.store.LoadFromBytes(doc.store.SaveToBytes()) != vinta::kLoadRead) std::abort();
    return 0;
}
