#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <QHostInfo>
#include <QTimer>

#include "LoopbackServer.h"
#include "framework/HttpClient.h"
#include "runtime/Http.h"

namespace vinta {
namespace {

using testing::LoopbackServer;

// Every event the client raises, in order.
class Recorder {
public:
    explicit Recorder(HttpClient& c) {
        c.OnHostResolved = [this] { events.push_back("resolved"); };
        c.OnConnect = [this] { events.push_back("connect"); };
        c.OnConnectionFailed = [this] { events.push_back("connection failed"); };
        c.OnDisconnect = [this] { events.push_back("disconnect"); };
        c.OnStatus = [this](const std::string& s) { events.push_back("status " + s); };
        c.OnPacketRecvd = [this](int64_t got, int64_t total) {
            if (events.empty() || events.back() != "received") events.push_back("received");
            received = got;
            expected = total;
        };
        c.OnSuccess = [this](int k) { events.push_back("success " + std::to_string(k)); };
        c.OnFailure = [this](int k) { events.push_back("failure " + std::to_string(k)); };
    }
    std::vector<std::string> events;
    int64_t received = 0, expected = 0;
};

// What a Get throws, or "" when it returned.
std::string Fetch(HttpClient& c, const std::string& url) {
    try {
        c.Get(url);
        return "";
    } catch (const HttpError& e) {
        return e.what();
    }
}

using Events = std::vector<std::string>;

TEST(HttpClient, RequestBytesEventsAndReply) {
    LoopbackServer server(LoopbackServer::Reply("HTTP/1.0 200 OK\r\nContent-Length: 12\r\nServer: t\r\n\r\n2.0.0.0\r\nurl\r\n"));
    HttpClient c;
    Recorder r(c);
    c.TimeOut = 5000;
    EXPECT_EQ(Fetch(c, server.Url()), "");
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0],
              "GET /pc/vinta/version.txt HTTP/1.0\r\n"
              "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n"
              "\r\n");
    EXPECT_EQ(r.events, (Events{"connect", "received", "success 0", "status Transaction Completed", "disconnect"}));
    EXPECT_EQ(c.Body, "2.0.0.0\r\nurl\r\n");
    EXPECT_EQ(c.Header, "Content-Length: 12\r\nServer: t\r\n");
    EXPECT_EQ(r.expected, 12);
    EXPECT_EQ(r.received, 14) << "the body's bytes, not the header's";
}

// A host name is looked up first (and reported); an address is not.
TEST(HttpClient, HostNamesAreResolved) {
    LoopbackServer server(LoopbackServer::Reply("HTTP/1.0 200 OK\r\n\r\nx"));
    HttpClient c;
    Recorder r(c);
    EXPECT_EQ(Fetch(c, "http://localhost:" + std::to_string(server.Port()) + "/v.txt"), "");
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events.front(), "resolved");
    EXPECT_NE(server.requests.at(0).find("Host: localhost:" + std::to_string(server.Port()) + "\r\n"), std::string::npos);
}

// A name that stands for several addresses is tried address by address: the
// first to answer gets the request, whichever family it is.
TEST(HttpClient, EveryAddressOfANameIsTried) {
    const QHostAddress v4(QHostAddress::LocalHost), v6(QHostAddress::LocalHostIPv6);
    LoopbackServer onV4(LoopbackServer::Reply("HTTP/1.0 200 OK\r\n\r\nfour"), v4);
    LoopbackServer onV6(LoopbackServer::Reply("HTTP/1.0 200 OK\r\n\r\nsix"), v6);
    if (!onV6.Listening()) GTEST_SKIP() << "no IPv6 loopback here";
    ASSERT_NE(onV4.Port(), onV6.Port()) << "each port must be closed on the other family";
    struct Case {
        QList<QHostAddress> order;
        quint16 port;
        const char* body;
    } cases[] = {{{v6, v4}, onV4.Port(), "four"}, {{v4, v6}, onV6.Port(), "six"}};
    for (const Case& k : cases) {
        HttpClient c;
        c.TimeOut = 5000;
        c.AddressesFor = [&](const QString&) { return k.order; };
        EXPECT_EQ(Fetch(c, "http://localhost:" + std::to_string(k.port) + "/v.txt"), "");
        EXPECT_EQ(c.Body, k.body);
    }
    // Where the system itself names localhost for both, no help is needed.
    QHostInfo local = QHostInfo::fromName(QStringLiteral("localhost"));
    if (!local.addresses().contains(v4) || !local.addresses().contains(v6)) return;
    for (const LoopbackServer* s : {&onV4, &onV6}) {
        HttpClient c;
        c.TimeOut = 5000;
        EXPECT_EQ(Fetch(c, "http://localhost:" + std::to_string(s->Port()) + "/v.txt"), "");
    }
    EXPECT_EQ(onV4.requests.size() + onV6.requests.size(), 4u);
}

// An IPv6 address in brackets is connected to as it is; a relative Location
// is followed from the folder of the address asked for.
TEST(HttpClient, LiteralV6AndRelativeRedirects) {
    LoopbackServer six(LoopbackServer::Reply("HTTP/1.0 200 OK\r\n\r\nsix"), QHostAddress(QHostAddress::LocalHostIPv6));
    if (six.Listening()) {
        HttpClient c;
        EXPECT_EQ(Fetch(c, "http://[::1]:" + std::to_string(six.Port()) + "/v.txt"), "");
        EXPECT_EQ(c.Body, "six");
    }
    LoopbackServer moved([](QTcpSocket& s, const std::string& request) {
        const std::string reply = request.starts_with("GET /pc/vinta/version.txt")
                                      ? "HTTP/1.0 302 Found\r\nLocation: v2.txt\r\n\r\n"
                                      : "HTTP/1.0 200 OK\r\n\r\n" + request.substr(0, request.find(" HTTP/"));
        s.write(reply.data(), static_cast<qint64>(reply.size()));
        s.disconnectFromHost();
    });
    HttpClient c;
    EXPECT_EQ(Fetch(c, moved.Url()), "");
    EXPECT_EQ(c.Body, "GET /pc/vinta/v2.txt");
    // And to another path on the same server.
    LoopbackServer elsewhere([](QTcpSocket& s, const std::string& request) {
        const std::string reply = request.starts_with("GET /moved ") ? "HTTP/1.0 200 OK\r\n\r\nmoved body"
                                                                     : "HTTP/1.0 301 Moved\r\nLocation: /moved\r\n\r\n";
        s.write(reply.data(), static_cast<qint64>(reply.size()));
        s.disconnectFromHost();
    });
    EXPECT_EQ(Fetch(c, elsewhere.Url()), "");
    EXPECT_EQ(c.Body, "moved body");
    ASSERT_EQ(elsewhere.requests.size(), 2u);
    EXPECT_TRUE(elsewhere.requests[1].starts_with("GET /moved HTTP/1.0\r\n"));
}

TEST(HttpClient, ErrorStatusesFailButKeepTheirBody) {
    LoopbackServer server(LoopbackServer::Reply("HTTP/1.0 404 Not Found\r\n\r\n<html>missing</html>\n"));
    HttpClient c;
    Recorder r(c);
    EXPECT_EQ(Fetch(c, server.Url()), "");
    EXPECT_EQ(r.events, (Events{"connect", "received", "failure 0", "status Transaction Completed", "disconnect"}));
    EXPECT_EQ(c.Body, "<html>missing</html>\n");
}

TEST(HttpClient, RedirectsAreFollowedAndLoopsEnd) {
    LoopbackServer target(LoopbackServer::Reply("HTTP/1.0 200 OK\r\n\r\nmoved here"));
    LoopbackServer hop(LoopbackServer::Reply("HTTP/1.0 302 Found\r\nLocation: " + target.Url("/new.txt") + "\r\n\r\n"));
    HttpClient c;
    EXPECT_EQ(Fetch(c, hop.Url()), "");
    EXPECT_EQ(c.Body, "moved here");
    EXPECT_EQ(target.requests.at(0).substr(0, 22), "GET /new.txt HTTP/1.0\r");

    // A server that always sends us back to itself.
    LoopbackServer loop(LoopbackServer::Reply("HTTP/1.0 301 Moved\r\nLocation: /again\r\n\r\n"));
    HttpClient d;
    Recorder r(d);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(Fetch(d, loop.Url()), "Too Many Redirects");
    EXPECT_EQ(loop.connections, HttpClient::kMaxRedirects + 1);
    EXPECT_EQ(r.events.back(), "failure 0");
    EXPECT_LT(t.elapsed(), 5000);
}

// Servers that misbehave end in a failure or a success with what arrived,
// within the time-out, and never hold more than the caps.
TEST(HttpClient, HostileServers) {
    HttpClient c;
    c.TimeOut = 300;
    QElapsedTimer t;

    LoopbackServer silent([](QTcpSocket&, const std::string&) {});
    t.start();
    EXPECT_EQ(Fetch(c, silent.Url()), "Socket capture aborted");
    EXPECT_LT(t.elapsed(), 3000);

    LoopbackServer endless(LoopbackServer::Endless("HTTP/1.0 200 OK\r\n\r\n", std::string(65536, 'x')));
    EXPECT_EQ(Fetch(c, endless.Url()), "Reply Too Large");
    EXPECT_LE(c.Body.size(), http::ReplyReader::kMaxBody);

    LoopbackServer noEnd(LoopbackServer::Endless("HTTP/1.0 200 OK\r\nX-Long: ", std::string(65536, 'a')));
    EXPECT_EQ(Fetch(c, noEnd.Url()), "Reply Too Large") << "a header line without an end";

    LoopbackServer cut(LoopbackServer::Reply("HTTP/1.0 200 OK\r\nX-Cut: abc"));
    EXPECT_EQ(Fetch(c, cut.Url()), "") << "a header cut off: what arrived";
    EXPECT_EQ(c.Body, "");

    LoopbackServer closes(LoopbackServer::Reply(""));
    EXPECT_EQ(Fetch(c, closes.Url()), "No HTTP Reply") << "closes at once: nothing arrived";

    LoopbackServer lies(LoopbackServer::Reply("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nshort"));
    EXPECT_EQ(Fetch(c, lies.Url()), "");
    EXPECT_EQ(c.Body, "short");

    // No status line is no reply: a failure, never a success.
    Recorder r(c);
    for (const char* other : {"SSH-2.0-OpenSSH\r\n\r\nbody", "hello\n2.0.0.0\n", "HTTP/1.0 OK\r\n\r\n"}) {
        LoopbackServer notHttp(LoopbackServer::Reply(other));
        r.events.clear();
        EXPECT_EQ(Fetch(c, notHttp.Url()), "No HTTP Reply") << other;
        EXPECT_NE(std::find(r.events.begin(), r.events.end(), "failure 0"), r.events.end()) << other;
        EXPECT_EQ(std::find(r.events.begin(), r.events.end(), "success 0"), r.events.end()) << other;
    }
    EXPECT_LT(t.elapsed(), 10000);
}

TEST(HttpClient, FailuresBeforeAnyReply) {
    HttpClient c;
    c.TimeOut = 2000;
    Recorder r(c);
    EXPECT_EQ(Fetch(c, ""), "Empty URL");
    EXPECT_EQ(Fetch(c, "https://vinta.example/v.txt"), "HTTP Secure Socket is not supported");
    quint16 port;
    {
        LoopbackServer gone([](QTcpSocket&, const std::string&) {});
        port = gone.Port();
    }
    EXPECT_EQ(Fetch(c, "http://127.0.0.1:" + std::to_string(port) + "/"), "Connection Failed");
    EXPECT_EQ(r.events, (Events{"connection failed"}));
}

// Cancel ends a waiting Get at once; a second Get meanwhile starts nothing.
TEST(HttpClient, CancelAndBusy) {
    LoopbackServer silent([](QTcpSocket&, const std::string&) {});
    HttpClient c;
    c.TimeOut = 10000;
    std::string second;
    QTimer::singleShot(50, [&] {
        second = Fetch(c, silent.Url());
        c.Cancel();
    });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(Fetch(c, silent.Url()), "Canceled");
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(second, "Busy");
    EXPECT_EQ(silent.connections, 1);
}

// The parts of addresses, and a reply read in any pieces.
TEST(HttpBytes, UrlsAndReplies) {
    auto u = http::ParseUrl("http://Example.COM:8080/a/b.txt").url;
    ASSERT_TRUE(u);
    EXPECT_EQ(u->host, "Example.COM");
    EXPECT_EQ(u->port, 8080);
    EXPECT_EQ(u->path, "/a/b.txt");
    EXPECT_EQ(http::ParseUrl("http://h").url->path, "/");
    EXPECT_EQ(http::ParseUrl("http://h").url->port, 80);
    EXPECT_EQ(http::ParseUrl("http://h:99999/").error, "Invalid port");
    // What a request line carries: no fragment, spaces and other bytes as %XX.
    EXPECT_EQ(http::ParseUrl("http://h/a b/c.txt#notes").url->path, "/a%20b/c.txt");
    EXPECT_EQ(http::ParseUrl("http://h?v=1").url->path, "/?v=1");
    auto v6 = http::ParseUrl("http://[::1]:8080/v.txt").url;
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
    EXPECT_EQ(http::HostLine(*v6), "[::1]:8080");
    EXPECT_EQ(http::HostLine(*http::ParseUrl("http://h/").url), "h") << "no port when it is 80";
    const http::Url base = *http::ParseUrl("http://h:81/pc/vinta/version.txt").url;
    EXPECT_EQ(http::ResolveLocation(base, "new.txt").url->path, "/pc/vinta/new.txt");
    EXPECT_EQ(http::ResolveLocation(base, "/top.txt").url->path, "/top.txt");
    EXPECT_EQ(http::ResolveLocation(base, "http://other/x").url->host, "other");
    const std::string reply = "HTTP/1.0 301 Moved\nlocation:  /x  \ncontent-length: 3\n\nabc";
    for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, reply.size()}) {
        http::ReplyReader r;
        for (size_t i = 0; i < reply.size(); i += piece) r.Feed(std::string_view(reply).substr(i, piece));
        EXPECT_EQ(r.Code(), 301) << piece;
        EXPECT_EQ(r.Location(), "/x");
        EXPECT_EQ(r.ContentLength(), 3);
        EXPECT_EQ(r.Body(), "abc");
    }
}

// Status lines other servers write: only HTTP's own, with a three-digit code,
// is a reply; another protocol's line with a good number is not.
TEST(HttpBytes, StatusLinesOfOtherProtocols) {
    const struct {
        const char* line;
        bool http;
        int code;
    } lines[] = {
        {"HTTP/1.1 200 OK\r\n\r\n", true, 200},     {"HTTP/1.0 404 Not Found\r\n\r\n", true, 404},
        {"ICY 200 OK\r\n\r\n", false, 0},           {"RTSP/1.0 200 OK\r\n\r\n", false, 0},
        {"SSH-2.0-OpenSSH_9.2\r\n\r\n", false, 0},
    };
    for (const auto& l : lines) {
        http::ReplyReader r;
        r.Feed(l.line);
        EXPECT_EQ(r.IsHttp(), l.http) << l.line;
        if (l.http) {
            EXPECT_EQ(r.Code(), l.code) << l.line;
        }
    }
    // An address with no host names nothing to ask, least of all a local file.
    for (const char* url : {"http:///etc/passwd", "http://", "http://:80/x"})
        EXPECT_FALSE(http::ParseUrl(url).url) << url;
}

}  // namespace
}  // namespace vinta
