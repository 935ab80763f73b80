#pragma once
// An HTTP/1.0 client for fetching one small file: GET, redirects, time-outs
// without progress, and the events a status line can follow. Get waits by
// processing events, so the window that asked stays usable.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class QTcpSocket;

namespace vinta {

struct UrlParts;
namespace http {
class ReplyReader;
}

class HttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HttpClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 5;
    static constexpr int kGet = 0;  // the command kind of a Get

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    int TimeOut = 0;  // ms without progress per wait; 0: 30 s
    int ReportLevel = 0;
    std::string Header;  // header lines of the last reply
    std::string Body;    // body of the last reply
    int StatusCode = 0;  // status code of the last reply (after redirects)

    std::function<void()> OnHostResolved, OnConnect, OnConnectionFailed, OnDisconnect;
    std::function<void(const std::string&)> OnStatus;
    std::function<void(int64_t received, int64_t total)> OnPacketRecvd, OnPacketSent;
    std::function<void(int kind)> OnSuccess, OnFailure;
    // When set, replaces the addresses a looked-up name resolved to (tests:
    // a name that stands for an address nobody answers on, then one that does).
    std::function<QList<QHostAddress>(const QString& host)> AddressesFor;

    // Fetches `url`. Throws HttpError with the failure's text: "Empty URL",
    // "HTTP Secure Socket is not supported", "Host Lookup Failed", "Host
    // Lookup Timed Out", "Connection Failed", "Connection Timed out", "Socket
    // capture aborted", "Reply Too Large", "No HTTP Reply", "Too Many
    // Redirects", "Canceled",
    // "Busy" (another Get of this client is waiting).
    void Get(const std::string& url);
    bool Busy() const { return busy_; }
    // Ends a waiting Get at once; it throws "Canceled".
    void Cancel();

private:
    struct Wait;
    int Exchange(const struct UrlParts& url, std::string& location);
    void Receive(QTcpSocket& socket, Wait& wait, const UrlParts& url, http::ReplyReader& reply);
    int TakeReply(const http::ReplyReader& reply, std::string& location);
    QList<QHostAddress> Resolve(const UrlParts& url, Wait& wait);
    void Connect(QTcpSocket& socket, Wait& wait, const UrlParts& url);
    bool busy_ = false;
    bool canceled_ = false;
    Wait* wait_ = nullptr;
};

}  // namespace vinta
