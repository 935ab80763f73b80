#include "HttpClient.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

#include "runtime/Http.h"

namespace vinta {

struct UrlParts : http::Url {};

// One nested event loop at a time, ended by what it waits for, by a time-out
// without progress, or by Cancel.
struct HttpClient::Wait {
    QEventLoop loop;
    QTimer timer;
    bool timedOut = false;
    explicit Wait(int ms) {
        timer.setSingleShot(true);
        timer.setInterval(ms);
        QObject::connect(&timer, &QTimer::timeout, &loop, [this] {
            timedOut = true;
            loop.quit();
        });
    }
    void Progress() { timer.start(); }
    // Runs until quit; true unless it timed out.
    bool Run() {
        timedOut = false;
        timer.start();
        loop.exec(QEventLoop::AllEvents);
        timer.stop();
        return !timedOut;
    }
};

HttpClient::HttpClient(QObject* parent) : QObject(parent) {}
HttpClient::~HttpClient() { Cancel(); }

void HttpClient::Cancel() {
    canceled_ = true;
    if (wait_) wait_->loop.quit();
}

void HttpClient::Get(const std::string& url) {
    if (busy_) throw HttpError("Busy");
    // Nothing of an earlier reply may pass for this one's.
    Header.clear();
    Body.clear();
    StatusCode = 0;
    auto parsed = http::ParseUrl(url);
    if (!parsed.url) throw HttpError(parsed.error);
    busy_ = true;
    canceled_ = false;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy_};
    UrlParts target{*parsed.url};
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        std::string location;
        int code = Exchange(target, location);
        if (code < 300 || code > 302) return;
        auto next = http::ResolveLocation(target, location);
        if (!next.url) {
            if (OnFailure) OnFailure(kGet);
            throw HttpError(next.error);
        }
        target = UrlParts{*next.url};
    }
    // A server that sends us round in circles: give up like a failed Get.
    if (OnFailure) OnFailure(kGet);
    throw HttpError("Too Many Redirects");
}

QList<QHostAddress> HttpClient::Resolve(const UrlParts& url, Wait& wait) {
    const QString host = QString::fromStdString(url.host);
    QHostAddress literal(host);
    if (!literal.isNull()) return {literal};
    QHostInfo found;
    bool answered = false;
    int id = QHostInfo::lookupHost(host, &wait.loop, [&](const QHostInfo& info) {
        found = info;
        answered = true;
        wait.loop.quit();
    });
    bool inTime = wait.Run();
    if (!answered) QHostInfo::abortHostLookup(id);
    if (canceled_) throw HttpError("Canceled");
    if (!inTime) throw HttpError("Host Lookup Timed Out");
    QList<QHostAddress> addresses = found.addresses();
    if (AddressesFor) addresses = AddressesFor(host);
    if (found.error() != QHostInfo::NoError || addresses.isEmpty()) throw HttpError("Host Lookup Failed");
    if (OnHostResolved) OnHostResolved();
    return addresses;
}

// A name may stand for several addresses (localhost: ::1 and 127.0.0.1), and
// the first one need not answer: each gets its own time-out, in order.
void HttpClient::Connect(QTcpSocket& socket, Wait& wait, const UrlParts& url) {
    const QList<QHostAddress> addresses = Resolve(url, wait);
    bool connected = false, refused = false;
    auto up = QObject::connect(&socket, &QTcpSocket::connected, &wait.loop, [&] {
        connected = true;
        wait.loop.quit();
    });
    auto down = QObject::connect(&socket, &QTcpSocket::errorOccurred, &wait.loop, [&] {
        refused = true;
        wait.loop.quit();
    });
    struct Unhook {
        QMetaObject::Connection a, b;
        ~Unhook() {
            QObject::disconnect(a);
            QObject::disconnect(b);
        }
    } unhook{up, down};
    bool inTime = false;
    for (const QHostAddress& address : addresses) {
        refused = false;
        socket.connectToHost(address, url.port);
        inTime = wait.Run();
        if (canceled_) throw HttpError("Canceled");
        if (connected) break;
        socket.abort();
    }
    if (!connected) {
        if (OnConnectionFailed) OnConnectionFailed();
        throw HttpError(inTime && refused ? "Connection Failed" : "Connection Timed out");
    }
}

int HttpClient::Exchange(const UrlParts& url, std::string& location) {
    const int ms = TimeOut > 0 ? TimeOut : 30000;
    Wait wait(ms);
    wait_ = &wait;
    struct Clear {
        Wait*& w;
        ~Clear() { w = nullptr; }
    } clear{wait_};

    QTcpSocket socket;
    Connect(socket, wait, url);
    if (OnConnect) OnConnect();
    auto finish = [&] {
        socket.abort();
        if (OnDisconnect) OnDisconnect();
    };
    http::ReplyReader reply;
    try {
        Receive(socket, wait, url, reply);
    } catch (const HttpError&) {
        finish();
        throw;
    }
    // A server that closes at once, resets, or answers in another protocol
    // sent no reply at all.
    const char* bad = reply.Overflowed() ? "Reply Too Large" : !reply.IsHttp() ? "No HTTP Reply" : nullptr;
    if (bad) {
        finish();
        if (OnFailure) OnFailure(kGet);
        throw HttpError(bad);
    }
    const int code = TakeReply(reply, location);
    finish();
    return code;
}

// Sends the request and reads until the server closes, a cap is passed,
// time runs out or we are told to stop.
void HttpClient::Receive(QTcpSocket& socket, Wait& wait, const UrlParts& url, http::ReplyReader& reply) {
    bool closed = false, failed = false;
    // The handlers below see this function's state: none may run after it.
    struct Detach {
        QTcpSocket& socket;
        QObject& loop;
        ~Detach() { socket.disconnect(&loop); }
    } detach{socket, wait.loop};
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &wait.loop, [&](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::RemoteHostClosedError) failed = true;
        wait.loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &wait.loop, [&] {
        while (socket.bytesAvailable() > 0 && !reply.Overflowed()) {
            QByteArray chunk = socket.read(65536);
            reply.Feed(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())));
            // What came of the file itself, to compare with its length.
            if (OnPacketRecvd) OnPacketRecvd(static_cast<int64_t>(reply.Body().size()), reply.ContentLength());
        }
        wait.Progress();
        if (reply.Overflowed()) wait.loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &wait.loop, [&] {
        closed = true;
        wait.loop.quit();
    });
    const std::string request = http::GetRequest(url);
    socket.write(request.data(), static_cast<qint64>(request.size()));
    while (!closed && !reply.Overflowed()) {
        const bool progressed = wait.Run();
        if (canceled_) throw HttpError("Canceled");
        if (!progressed) throw HttpError("Socket capture aborted");
        if (failed && !closed) break;
    }
    // What the server sent after its close signal.
    if (!reply.Overflowed() && socket.bytesAvailable() > 0) {
        QByteArray rest = socket.readAll();
        reply.Feed(std::string_view(rest.constData(), static_cast<size_t>(rest.size())));
    }
}

int HttpClient::TakeReply(const http::ReplyReader& reply, std::string& location) {
    Header = reply.Header();
    Body = reply.Body();
    location = reply.Location();
    const int code = reply.Code();
    StatusCode = code;
    if (code <= 298) {
        if (OnSuccess) OnSuccess(kGet);
    } else if (code >= 400) {
        if (OnFailure) OnFailure(kGet);
    }
    if (OnStatus) OnStatus("Transaction Completed");
    return code;
}

}  // namespace vinta
