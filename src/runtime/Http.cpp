#include "Http.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vinta::http {

namespace {

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A path as a request line may carry it: no fragment (it is the browser's),
// and bytes a request line cannot hold (spaces, controls, non-ASCII) as %XX.
std::string RequestPath(std::string_view path) {
    path = path.substr(0, path.find('#'));
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.empty() ? "/" : out;
}

// "host", "host:port", "[v6]" or "[v6]:port".
std::optional<std::string> SplitHostPort(std::string_view hostPort, Url& u) {
    std::string_view portText;
    if (hostPort.starts_with("[")) {
        size_t close = hostPort.find(']');
        if (close == std::string_view::npos) return "Invalid host";
        u.host = std::string(hostPort.substr(1, close - 1));
        std::string_view rest = hostPort.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(":")) return "Invalid host";
        if (!rest.empty()) portText = rest.substr(1);
        if (rest.size() == 1) return "Invalid port";
    } else {
        size_t colon = hostPort.rfind(':');
        u.host = std::string(hostPort.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = hostPort.substr(colon + 1);
            if (portText.empty()) return "Invalid port";
        }
    }
    if (!portText.empty()) {
        unsigned v = 0;
        auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), v);
        if (ec != std::errc() || end != portText.data() + portText.size() || v == 0 || v > 65535)
            return "Invalid port";
        u.port = static_cast<uint16_t>(v);
    }
    if (u.host.empty()) return "Empty URL";
    return std::nullopt;
}

}  // namespace

UrlResult ParseUrl(std::string_view url) {
    UrlResult r;
    if (url.empty()) {
        r.error = "Empty URL";
        return r;
    }
    std::string lower = Upper(url.substr(0, std::min<size_t>(url.size(), 8)));
    if (lower.starts_with("HTTPS://")) {
        r.error = "HTTP Secure Socket is not supported";
        return r;
    }
    if (lower.starts_with("HTTP://")) {
        url.remove_prefix(7);
    } else if (size_t scheme = url.find("://"); scheme != std::string_view::npos && url.find('/') > scheme) {
        r.error = "Unsupported scheme: " + std::string(url.substr(0, scheme));
        return r;
    }
    size_t slash = url.find_first_of("/?#");
    Url u;
    if (auto problem = SplitHostPort(url.substr(0, slash), u)) {
        r.error = *problem;
        return r;
    }
    u.path = slash == std::string_view::npos ? "/" : RequestPath(url.substr(slash));
    if (!u.path.starts_with("/")) u.path = "/" + u.path;
    r.url = u;
    return r;
}

UrlResult ResolveLocation(const Url& base, std::string_view location) {
    location = Trim(location);
    if (location.starts_with("/") && !location.starts_with("//")) {
        Url u = base;
        u.path = RequestPath(location);
        return {u, {}};
    }
    if (location.find("://") != std::string_view::npos) return ParseUrl(location);
    if (location.starts_with("//")) return ParseUrl("http:" + std::string(location));
    // Relative to the folder of the address asked for.
    Url u = base;
    const std::string folder = base.path.substr(0, base.path.rfind('/') + 1);
    u.path = RequestPath(folder + std::string(location));
    return {u, {}};
}

std::string HostLine(const Url& url) {
    const bool v6 = url.host.find(':') != std::string::npos;
    std::string host = v6 ? "[" + url.host + "]" : url.host;
    if (url.port != 80) host += ":" + std::to_string(url.port);
    return host;
}

std::string GetRequest(const Url& url) {
    std::string r = "GET " + url.path + " HTTP/1.0\r\n";
    r += "Host: " + HostLine(url) + "\r\n";
    r += "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n";
    r += "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    r += "Content-type: application/x-www-form-urlencoded\r\n";
    r += "\r\n";
    return r;
}

void ReplyReader::HeaderLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!statusRead_) {
        statusRead_ = true;
        status_ = line;
        // The code is the second space-separated field.
        size_t a = line.find(' ');
        if (a != std::string::npos) {
            size_t b = line.find(' ', a + 1);
            std::string_view field = std::string_view(line).substr(a + 1, b == std::string::npos ? b : b - a - 1);
            int v = 0;
            auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
            code_ = ec == std::errc() && end == field.data() + field.size() ? v : 0;
        }
        return;
    }
    if (line.empty()) {
        headerDone_ = true;
        return;
    }
    header_ += line + "\r\n";
    std::string upper = Upper(line);
    if (upper.starts_with("CONTENT-LENGTH:")) {
        std::string_view v = Trim(std::string_view(line).substr(15));
        int64_t n = 0;
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        contentLength_ = ec == std::errc() && n >= 0 ? n : 0;
    } else if (upper.starts_with("LOCATION:")) {
        location_ = std::string(Trim(std::string_view(line).substr(9)));
    }
}

bool ReplyReader::IsHttp() const {
    return statusRead_ && Upper(std::string_view(status_).substr(0, 5)) == "HTTP/" && code_ >= 100 && code_ <= 599;
}

bool ReplyReader::Feed(std::string_view bytes) {
    if (overflowed_) return false;
    while (!headerDone_ && !bytes.empty()) {
        size_t nl = bytes.find('\n');
        if (nl == std::string_view::npos) {
            pending_.append(bytes);
            bytes = {};
        } else {
            pending_.append(bytes.substr(0, nl));
            bytes.remove_prefix(nl + 1);
            HeaderLine(std::move(pending_));
            pending_.clear();
        }
        if (pending_.size() + header_.size() + status_.size() > kMaxHeader) {
            overflowed_ = true;
            return false;
        }
    }
    if (bytes.empty()) return true;
    if (body_.size() + bytes.size() > kMaxBody) {
        overflowed_ = true;
        return false;
    }
    body_.append(bytes);
    return true;
}

}  // namespace vinta::http
