// Any datagrams from the LAN, in both modes: the exchange's receive handler
// never throws, never reads out of bounds, and never lets its counts pass the
// announced length.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "components/Kudp.h"
#include "framework/DatagramSocket.h"

namespace {

class Sink : public vinta::DatagramSocket {
public:
    bool Bind(uint16_t) override { return true; }
    uint16_t LocalPort() const override { return 1; }
    SendResult SendTo(const std::string&, uint16_t, std::string_view) override { return SendResult::kSent; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    vinta::TKUDP k(std::make_unique<Sink>());
    k.ASync = data[0] & 1;
    k.RemoteHost = "127.0.0.1";
    k.RemotePort = 2;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    // Datagrams separated by a NUL byte.
    while (!rest.empty()) {
        size_t cut = rest.find('\0');
        std::string d(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        k.UDPDataReceived(static_cast<int>(d.size()), d, "127.0.0.1", 2);
        if (k.ReceivedLength() > k.ExpectedLength() && k.ExpectedLength() != 0) std::abort();
        if (k.ExpectedLength() < 0 || k.ExpectedLength() > vinta::TKUDP::kMaxText) std::abort();
    }
    return 0;
}
