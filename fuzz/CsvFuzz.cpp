// Any bytes as a CSV task list: no crash, no read outside the input, and
// what is taken has levels and progress a schedule holds.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/CsvImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto plan = vinta::ReadCsv(bytes, error);
    if (!plan) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    for (const vinta::PlanTask& t : plan->tasks)
        if (t.progress < 0 || t.progress > 100 || t.level < 0) std::abort();
    return 0;
}
