#pragma once
// An HTTP server on loopback (127.0.0.1 unless told) that answers as a test tells it: exact bytes,
// silence, an endless stream. It records every request it read.

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace vinta::testing {

class LoopbackServer {
public:
    // Called with each connection once its request (up to the empty line) is read.
    using Answer = std::function<void(QTcpSocket&, const std::string& request)>;

    explicit LoopbackServer(Answer answer, const QHostAddress& on = QHostAddress(QHostAddress::LocalHost),
                            quint16 port = 0)
        : answer_(std::move(answer)) {
        server_.listen(on, port);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                ++connections;
                auto* buffer = new std::string;
                QObject::connect(s, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                    bool had = buffer->find("\r\n\r\n") != std::string::npos;
                    *buffer += s->readAll().toStdString();
                    if (!had && buffer->find("\r\n\r\n") != std::string::npos) {
                        requests.push_back(*buffer);
                        answer_(*s, *buffer);
                    }
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    std::string Url(const std::string& path = "/pc/vinta/version.txt") const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }
    quint16 Port() const { return server_.serverPort(); }
    bool Listening() const { return server_.isListening(); }

    // Answers: these bytes, then the server closes.
    static Answer Reply(std::string bytes) {
        return [bytes](QTcpSocket& s, const std::string&) {
            s.write(bytes.data(), static_cast<qint64>(bytes.size()));
            s.disconnectFromHost();
        };
    }
    // The same bytes again and again until the client goes away.
    static Answer Endless(std::string head, std::string chunk) {
        return [head, chunk](QTcpSocket& s, const std::string&) {
            s.write(head.data(), static_cast<qint64>(head.size()));
            auto* timer = new QTimer(&s);
            QObject::connect(timer, &QTimer::timeout, &s, [&s, chunk] {
                if (s.bytesToWrite() < (1 << 20)) s.write(chunk.data(), static_cast<qint64>(chunk.size()));
            });
            timer->start(0);
        };
    }

    std::vector<std::string> requests;
    int connections = 0;

private:
    QTcpServer server_;
    Answer answer_;
};

}  // namespace vinta::testing
