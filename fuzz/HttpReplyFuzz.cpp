// Any bytes from a server, in any pieces: the reply reader never reads out of
// bounds, never holds more than its caps, and gives the same reply however
// the bytes were cut (or refuses it, however cut).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/Http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 17;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    vinta::http::ReplyReader whole, pieces;
    whole.Feed(bytes);
    for (size_t i = 0; i < bytes.size(); i += piece) pieces.Feed(bytes.substr(i, piece));
    if (whole.Body().size() > vinta::http::ReplyReader::kMaxBody) std::abort();
    if (whole.Overflowed() != pieces.Overflowed()) std::abort();
    if (!whole.Overflowed() && (whole.Code() != pieces.Code() || whole.Body() != pieces.Body() || whole.Header() != pieces.Header() ||
        whole.Location() != pieces.Location() || whole.ContentLength() != pieces.ContentLength()))
        std::abort();
    (void)vinta::http::ParseUrl(bytes);
    return 0;
}
