#pragma once
// The plain-bytes half of the HTTP/1.0 client: addresses, the request, and a
// reply read as it arrives. Whatever a server sends, reading it is bounded:
// the header by kMaxHeader, the body by kMaxBody.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vinta::http {

struct Url {
    std::string host;
    uint16_t port = 80;
    std::string path = "/";
};

// "Empty URL", "HTTP Secure Socket is not supported", "Unsupported scheme:
// …", "Invalid host", "Invalid port", or the parts. A URL without a scheme is
// taken as http. An IPv6 address stands in brackets. The path leaves out the
// fragment and carries spaces and other bytes a request line cannot hold as
// %XX.
struct UrlResult {
    std::optional<Url> url;
    std::string error;
};
UrlResult ParseUrl(std::string_view url);

// A redirect target: a full URL, a path on the same server, or a path
// relative to the folder of `base`.
UrlResult ResolveLocation(const Url& base, std::string_view location);

// What the Host line says: the host (an IPv6 address in brackets) and the
// port when it is not 80.
std::string HostLine(const Url& url);

// The request bytes for GET of `url`.
std::string GetRequest(const Url& url);

class ReplyReader {
public:
    static constexpr size_t kMaxHeader = 64 * 1024;
    static constexpr size_t kMaxBody = 1024 * 1024;

    // Feeds what arrived; false once the reply went past a cap (read no more).
    bool Feed(std::string_view bytes);

    bool HeaderDone() const { return headerDone_; }
    // A status line came and reads "HTTP/x.y NNN": the reply is HTTP at all.
    bool IsHttp() const;
    bool Overflowed() const { return overflowed_; }
    // The second space-separated field of the first line; 0 when no number.
    int Code() const { return code_; }
    // Header lines after the status line up to the empty one, each ended by
    // CR LF as received lines are.
    const std::string& Header() const { return header_; }
    const std::string& StatusLine() const { return status_; }
    const std::string& Body() const { return body_; }
    // CONTENT-LENGTH (0 when absent or not a number) and LOCATION.
    int64_t ContentLength() const { return contentLength_; }
    const std::string& Location() const { return location_; }

private:
    void HeaderLine(std::string line);
    std::string pending_;  // a header line not yet ended
    bool statusRead_ = false;
    bool headerDone_ = false;
    bool overflowed_ = false;
    int code_ = 0;
    std::string status_, header_, body_, location_;
    int64_t contentLength_ = 0;
};

}  // namespace vinta::http
