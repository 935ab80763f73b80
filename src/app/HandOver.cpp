#include "app/HandOver.h"

#include "app/Mainform.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

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

namespace {

// A handed-over file waits while the window shows a dialog, a question or the
// preview: loaded under them, it would be what they then write into. The
// latest request wins; it is opened once the window is free.
class PendingOpen : public QObject {
public:
    explicit PendingOpen(TForm1& window) : QObject(&window), window_(window) {
        // Qt's own modal widgets (a print dialog) are not counted: look again.
        retry_.setInterval(250);
        connect(&retry_, &QTimer::timeout, this, &PendingOpen::Try);
        connect(&window.Modal(), &ModalCount::Freed, this, [this] { QTimer::singleShot(0, this, &PendingOpen::Try); });
    }
    // Not inside the socket's signal: the question about unsaved changes runs
    // its own event loop.
    void Request(const QString& path) {
        path_ = path;
        QTimer::singleShot(0, this, &PendingOpen::Try);
    }

private:
    void Try() {
        if (path_.isEmpty()) return;
        if (window_.Modal().Busy()) {
            retry_.start();
            return;
        }
        retry_.stop();
        window_.OpenFile(std::exchange(path_, QString()));
    }
    TForm1& window_;
    QString path_;
    QTimer retry_;
};

}  // namespace

void ServeWindow(HandOverServer& server, TForm1& window) {
    auto* pending = new PendingOpen(window);
    QObject::connect(&server, &HandOverServer::Requested, &window, [&window, pending](const QString& path) {
        if (window.isMinimized()) window.showNormal();
        window.raise();
        window.activateWindow();
        if (!path.isEmpty()) pending->Request(path);
    });
}

bool HandOver(const QString& socketPath, const QString& path, int timeoutMs, HandOverFailure* failure) {
    constexpr const char* kNoAnswer = "the running copy of Vinta did not answer";
    auto fail = [failure](bool refused, const char* why) {
        if (failure) *failure = {refused, why};
        return false;
    };
    // A path with a line break cannot be told from the request's end.
    if (path.contains(QLatin1Char('\n'))) return fail(true, "a file name with a line break cannot be handed over");
    const QByteArray request = path.isEmpty() ? QByteArray("RAISE\n") : "OPEN " + path.toUtf8() + '\n';
    if (request.size() > kMaxRequest) return fail(true, "the file name is too long to hand over");
    QElapsedTimer clock;
    clock.start();
    auto left = [&] { return std::max<qint64>(1, timeoutMs - clock.elapsed()); };
    QLocalSocket s;
    // The running copy may hold the lock a moment before it listens.
    for (;;) {
        s.connectToServer(socketPath);
        if (s.waitForConnected(static_cast<int>(left()))) break;
        if (clock.elapsed() >= timeoutMs) return fail(false, kNoAnswer);
        QThread::msleep(50);
    }
    s.write(request);
    if (!s.waitForBytesWritten(static_cast<int>(left()))) return fail(false, kNoAnswer);
    while (!s.canReadLine())
        if (!s.waitForReadyRead(static_cast<int>(left()))) return fail(false, kNoAnswer);
    return s.readLine() == "OK\n" || fail(true, "the running copy of Vinta refused the file");
}

}  // namespace vinta
