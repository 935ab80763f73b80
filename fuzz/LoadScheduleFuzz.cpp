// Any bytes given to the schedule reader: no crash, no read outside the input,
// no allocation beyond what the input can justify, and whatever loads saves
// and loads again. Read in tiny pieces, the input loads the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/ScheduleDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vinta::ScheduleDocument s;
    if (s.store.LoadFromBytes(bytes) != vinta::kLoadRead) return 0;
    std::string saved = s.store.SaveToBytes();
    vinta::ScheduleDocument again;
    if (again.store.LoadFromBytes(saved) != vinta::kLoadRead) std::abort();
    vinta::ScheduleStore::SetReadPieceBytes(1 + size % 7);
    vinta::ScheduleDocument pieces;
    int result = pieces.store.LoadFromBytes(bytes);
    vinta::ScheduleStore::SetReadPieceBytes(1 << 20);
    if (result != vinta::kLoadRead || pieces.store.SaveToBytes() != saved) std::abort();
    return 0;
}
