// vinta-lan: texts over the LAN datagram exchange, from the command line, to
// try it between two machines.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "components/Kudp.h"
#include "framework/DatagramSocket.h"

namespace {

constexpr int kExitOk = 0, kExitFail = 1, kExitUsage = 64;
constexpr int kQuietMs = 5000;  // a sender gives up after this long without an answer

const char kUsage[] =
    "usage:\n"
    "  vinta-lan listen PORT [--async]             print every text received on PORT\n"
    "  vinta-lan send HOST PORT FILE|- [--async]    send one text (a file, or standard input)\n"
    "  vinta-lan members PORT                      ask who listens on PORT (broadcast), for 2 s\n"
    "Both ends must agree on --async (unacknowledged pieces). Members answer only with --async.\n"
    "send ends 0 once the receiver acknowledged the whole text (acknowledged mode, more than\n"
    "1024 bytes), or once the last datagram is out (--async, or a single datagram).\n"
    "exit status: 0 done, 1 the port, the file or the peer failed, 64 wrong usage\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vinta-lan: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "vinta-lan: %s\n", what.c_str());
    return kExitFail;
}

bool Port(const std::string& text, int& port) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 65535) return false;
    port = static_cast<int>(v);
    return true;
}

// Answers and pieces go back to whoever spoke last.
void ReplyToSender(vinta::TKUDP& k) {
    auto handle = k.Socket().onDatagram;
    k.Socket().onDatagram = [&k, handle](const std::string& bytes, const std::string& from, int port) {
        k.RemoteHost = from;
        k.RemotePort = port;
        handle(bytes, from, port);
    };
}

// What the exchange ignores, one line each on standard error, but at most
// kPerSecond a second, so that a flood cannot fill a terminal.
class IgnoredReport {
public:
    static constexpr int kPerSecond = 5;
    void Say(const std::string& status) {
        if (!clock_.isValid() || clock_.elapsed() >= 1000) {
            if (held_ > 0) std::fprintf(stderr, "vinta-lan: %d more ignored\n", held_);
            clock_.start();
            said_ = held_ = 0;
        }
        if (said_ < kPerSecond) {
            ++said_;
            std::fprintf(stderr, "vinta-lan: %s\n", status.c_str());
        } else {
            ++held_;
        }
    }

private:
    QElapsedTimer clock_;
    int said_ = 0, held_ = 0;
};

int Listen(const std::vector<std::string>& args) {
    int port = 0;
    if (args.empty() || args.size() > 2 || !Port(args[0], port) || (args.size() == 2 && args[1] != "--async"))
        return Usage("listen takes PORT [--async]");
    vinta::TKUDP k;
    k.ASync = args.size() == 2;
    k.LocalPort = port;
    try {
        k.Open();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    ReplyToSender(k);
    vinta::KudpText assembly;
    k.OnReceiveData = [&](vinta::TKUDP* s, int total, int recv, const std::string&, int) {
        std::string piece, text;
        int length = 1 << 30;
        s->ReadBuffer(piece, length);
        if (!assembly.Add(total, recv, piece, text)) return;
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    IgnoredReport report;
    k.OnStatus = [&](vinta::TKUDP*, const std::string& status) { report.Say(status); };
    std::fprintf(stderr, "vinta-lan: listening on port %d\n", k.LocalPort);
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    return QCoreApplication::exec() == 0 ? kExitOk : kExitFail;
}

int Send(const std::vector<std::string>& args) {
    int port = 0;
    if (args.size() < 3 || args.size() > 4 || !Port(args[1], port) || (args.size() == 4 && args[3] != "--async"))
        return Usage("send takes HOST PORT FILE|- [--async]");
    std::string text;
    if (args[2] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(args[2], std::ios::binary);
        if (!in) return Fail("cannot read " + args[2]);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    vinta::TKUDP k;
    k.ASync = args.size() == 4;
    try {
        k.Open();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    k.RemoteHost = args[0];
    k.RemotePort = port;
    bool done = false;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(kQuietMs);
    QObject::connect(&quiet, &QTimer::timeout, [] { QCoreApplication::exit(kExitFail); });
    k.OnSending = [&](unsigned total, unsigned sent, unsigned) {
        std::fprintf(stderr, "vinta-lan: sent %u of %u bytes\n", sent, total);
        quiet.start();
    };
    // Acknowledged pieces are done when the receiver has asked past the last
    // one; without acknowledgements (--async, or one datagram) when the last
    // one is out.
    const bool acknowledged = !k.ASync && text.size() > static_cast<size_t>(vinta::TKUDP::kPiece);
    auto finish = [&] {
        done = true;
        QTimer::singleShot(0, [] { QCoreApplication::exit(kExitOk); });
    };
    k.OnSendData = [&](vinta::TKUDP*) {
        if (!acknowledged) finish();
    };
    k.OnDelivered = [&](vinta::TKUDP*) { finish(); };
    try {
        k.SendBuffer(text, static_cast<unsigned>(text.size()));
    } catch (const std::exception& e) {
        return Fail(std::string("cannot send to ") + args[0] + ": " + e.what());
    }
    quiet.start();
    int r = done ? kExitOk : QCoreApplication::exec();
    if (r != kExitOk && acknowledged)
        return Fail(args[0] + ":" + args[1] + " did not acknowledge the whole text (" + std::to_string(k.SentCount()) +
                    " of " + std::to_string(k.PacketCount()) + " pieces sent)");
    if (r != kExitOk) return Fail("no answer from " + args[0] + ":" + args[1]);
    return kExitOk;
}

int Members(const std::vector<std::string>& args) {
    int port = 0;
    if (args.size() != 1 || !Port(args[0], port)) return Usage("members takes PORT");
    vinta::TKUDP k;
    k.ASync = true;
    try {
        k.Open();
        k.RemoteHost = "255.255.255.255";
        k.RemotePort = port;
        k.OnReceiveData = [&](vinta::TKUDP* s, int, int, const std::string& from, int) {
            std::string name;
            int length = 1 << 30;
            s->ReadBuffer(name, length);
            std::printf("%s\t%s\n", from.c_str(), name.c_str());
            std::fflush(stdout);
        };
        k.GetMember();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    QTimer::singleShot(2000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "listen") return Listen(args);
    if (command == "send") return Send(args);
    if (command == "members") return Members(args);
    return Usage("unknown command " + command);
}
