#pragma once
// A second start of the program hands its file to the running window over a
// local socket beside the instance lock (so per user), then exits.

#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

namespace vinta {

class TForm1;

// The socket that goes with an instance lock file.
QString HandOverSocketPath(const std::string& lockPath);

// The running copy's end. A socket left behind by a copy that crashed is
// removed: whoever holds the instance lock owns the name.
class HandOverServer : public QObject {
    Q_OBJECT
public:
    explicit HandOverServer(const QString& socketPath, QObject* parent = nullptr);
    bool Listening() const;

signals:
    // Empty `path`: only bring the window to the front.
    void Requested(const QString& path);

private:
    void Accept();
    QLocalServer* server_;
};

// Brings `window` to the front for every request and opens a handed-over
// file as File > Open would, asking about unsaved changes first.
void ServeWindow(HandOverServer& server, TForm1& window);

// Why a hand-over did not happen: the path cannot be handed over at all
// (refused), or no running copy took it in time.
struct HandOverFailure {
    bool refused = false;
    std::string why;
};

// The second copy's end: sends `path` (may be empty) and waits for the
// running copy to take it. False when it cannot be sent or no copy answered
// within `timeoutMs`; `failure` then says why.
bool HandOver(const QString& socketPath, const QString& path, int timeoutMs = 3000, HandOverFailure* failure = nullptr);

}  // namespace vinta
