#include "app/HandOver.h"

#include "app/Mainform.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace vinta {

namespace {

// One line of UTF-8: "OPEN <path>" or "RAISE"; the answer is "OK".
constexpr qint64 kMaxRequest = 64 * 1024;

}  // namespace

QString HandOverSocketPath(const std::string& lockPath) {
    QString path = QString::fromStdString(lockPath);
    if (path.endsWith(QLatin1String(".lock"))) path.chop(5);
    return path + QStringLiteral(".socket");
}

HandOverServer::HandOverServer(const QString& socketPath, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath)) {
        QLocalServer::removeServer(socketPath);
        server_->listen(socketPath);
    }
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::Accept);
}

bool HandOverServer::Listening() const { return server_->isListening(); }

void HandOverServer::Accept() {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            if (!s->canReadLine()) {
                if (s->bytesAvailable() > kMaxRequest) s->abort();
                return;
            }
            const QByteArray raw = s->readLine(kMaxRequest);
            if (!raw.endsWith('\n')) {  // longer than a request may be: never a cut-off path
                s->abort();
                return;
            }
            const QString line = QString::fromUtf8(raw.chopped(1));
            s->write("OK\n");
            s->flush();
            s->disconnectFromServer();
            if (line == QLatin1String("RAISE")) emit Requested(QString());
            else if (line.startsWith(QLatin1String("OPEN "))) emit Requested(line.mid(5));
        });
    }
}

void ServeWindow(HandOverServer& server, TForm1& window) {
    QObject::connect(&server, &HandOverServer::Requested, &window, [&window](const QString& path) {
        if (window.isMinimized()) window.showNormal();
        window.raise();
        window.activateWindow();
        // Not inside the socket's signal: the question about unsaved changes
        // runs its own event loop.
        if (!path.isEmpty()) QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
    });
}

bool HandOver(const QString& socketPath, const QString& path, int timeoutMs) {
    // A path with a line break cannot be told from the request's end.
    if (path.contains(QLatin1Char('\n'))) return false;
    QElapsedTimer clock;
    clock.start();
    auto left = [&] { return std::max<qint64>(1, timeoutMs - clock.elapsed()); };
    QLocalSocket s;
    // The running copy may hold the lock a moment before it listens.
    for (;;) {
        s.connectToServer(socketPath);
        if (s.waitForConnected(static_cast<int>(left()))) break;
        if (clock.elapsed() >= timeoutMs) return false;
        QThread::msleep(50);
    }
    s.write(path.isEmpty() ? QByteArray("RAISE\n") : "OPEN " + path.toUtf8() + '\n');
    if (!s.waitForBytesWritten(static_cast<int>(left()))) return false;
    while (!s.canReadLine())
        if (!s.waitForReadyRead(static_cast<int>(left()))) return false;
    return s.readLine() == "OK\n";
}

}  // namespace vinta
