// Any text as a settings file: every key reads without a fault.
#include <cstdint>
#include <string_view>

#include "runtime/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char* section : {"OPT", "ENV", "opt"}) {
        (void)vinta::Profile::ReadStringFrom(text, section, "FileName", "");
        for (const char* key : {"X", "Y", "W", "H", "X2"}) (void)vinta::Profile::ReadIntegerFrom(text, section, key, 394);
    }
    return 0;
}
