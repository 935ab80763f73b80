#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <fstream>
#include <deque>
#include <map>

#include "components/Kudp.h"
#include "runtime/Clock.h"
#include "framework/DatagramSocket.h"

namespace vinta {
namespace {

// An in-memory network: what every socket sends, in order, delivered when
// the test pumps it.
struct Wire {
    struct Datagram {
        int from;
        std::string host;
        int to;
        std::string bytes;
    };
    std::vector<Datagram> log;
    std::deque<Datagram> queue;
    std::map<int, DatagramSocket*> ports;
    void Pump() {
        while (!queue.empty()) {
            Datagram d = queue.front();
            queue.pop_front();
            auto it = ports.find(d.to);
            if (d.host == "127.0.0.1" && it != ports.end() && it->second->onDatagram)
                it->second->onDatagram(d.bytes, "127.0.0.1", d.from);
        }
    }
    std::vector<std::string> Sent() const {
        std::vector<std::string> v;
        for (const Datagram& d : log) v.push_back(d.bytes.size() > 16 ? d.bytes.substr(0, 16) + "…" : d.bytes);
        return v;
    }
};

class WireSocket : public DatagramSocket {
public:
    WireSocket(Wire& wire, int port) : wire_(wire), port_(port) {}
    bool Bind(uint16_t) override {
        wire_.ports[port_] = this;
        return true;
    }
    uint16_t LocalPort() const override { return static_cast<uint16_t>(port_); }
    SendResult SendTo(const std::string& host, uint16_t port, std::string_view bytes) override {
        if (host == "no.such.host.invalid") return SendResult::kNoHost;
        Wire::Datagram d{port_, host, port, std::string(bytes)};
        wire_.log.push_back(d);
        wire_.queue.push_back(d);
        return SendResult::kSent;
    }

private:
    Wire& wire_;
    int port_;
};

// Gathers the pieces of each received text, as a consumer does.
struct Collector {
    std::vector<std::string> texts;
    KudpText assembly;
    size_t mostHeld = 0;
    std::vector<std::string> statuses;
    int sendData = 0, delivered = 0;
    void Attach(TKUDP& k) {
        k.OnReceiveData = [this](TKUDP* s, int total, int recv, const std::string&, int) {
            std::string piece, text;
            int length = 1 << 20;
            s->ReadBuffer(piece, length);
            if (assembly.Add(total, recv, piece, text)) texts.push_back(text);
            mostHeld = std::max(mostHeld, assembly.Held());
        };
        k.OnDelivered = [this](TKUDP*) { ++delivered; };
        k.OnStatus = [this](TKUDP*, const std::string& s) { statuses.push_back(s); };
        k.OnSendData = [this](TKUDP*) { ++sendData; };
    }
};

std::string Text(size_t n) {
    std::string t(n, '\0');
    for (size_t i = 0; i < n; ++i) t[i] = static_cast<char>('A' + (i * 7 + i / 1024) % 26);
    return t;
}

class OnTheWire : public ::testing::Test {
protected:
    Wire wire;
    TKUDP a{std::make_unique<WireSocket>(wire, 5001)}, b{std::make_unique<WireSocket>(wire, 5002)};
    Collector atA, atB;
    void SetUp() override {
        a.Open();
        b.Open();
        a.RemoteHost = b.RemoteHost = "127.0.0.1";
        a.RemotePort = 5002;
        b.RemotePort = 5001;
        atA.Attach(a);
        atB.Attach(b);
    }
};

// The 2048-byte acknowledged exchange, datagram by datagram.
TEST_F(OnTheWire, AnAcknowledgedTransferAskedForPieceByPiece) {
    const std::string text = Text(2048);
    a.SendBuffer(text, 2048);
    wire.Pump();
    EXPECT_EQ(wire.Sent(), (std::vector<std::string>{"%SLENGTH=2048", "%OK=0", "%SDATA(1024)" + text.substr(0, 4) + "…",
                                                     "%OK=1", "%SDATA(1024)" + text.substr(1024, 4) + "…", "%OK=2"}));
    EXPECT_EQ(wire.log[2].bytes.size(), 12u + 1024u);
    ASSERT_EQ(atB.texts.size(), 1u);
    EXPECT_EQ(atB.texts[0], text);
    EXPECT_EQ(b.ExpectedLength(), 0);
    EXPECT_EQ(b.ReceivedLength(), 0);
    EXPECT_EQ(atA.sendData, 1) << "once, after the last piece";
}

// 1024 bytes: one datagram; 1025: announced, then 1024 and 1.
TEST_F(OnTheWire, PieceBoundariesWithoutAcknowledgement) {
    a.ASync = b.ASync = true;
    std::vector<std::tuple<unsigned, unsigned, unsigned>> sending;
    a.OnSending = [&](unsigned t, unsigned s1, unsigned s2) { sending.emplace_back(t, s1, s2); };
    a.SendBuffer(Text(1024), 1024);
    a.SendBuffer(Text(1025), 1025);
    wire.Pump();
    ASSERT_EQ(wire.log.size(), 4u);
    EXPECT_EQ(wire.log[0].bytes, Text(1024));
    EXPECT_EQ(wire.log[1].bytes, "%SLENGTH=1025");
    EXPECT_EQ(wire.log[2].bytes.size(), 1024u);
    EXPECT_EQ(wire.log[3].bytes, Text(1025).substr(1024));
    EXPECT_EQ(atB.texts, (std::vector<std::string>{Text(1024), Text(1025)}));
    EXPECT_EQ(sending, (std::vector<std::tuple<unsigned, unsigned, unsigned>>{
                           {1024, 1024, 1024}, {1025, 1024, 1024}, {1025, 1025, 1}}));
    EXPECT_EQ(atA.sendData, 2) << "once per text";
}

// A piece whose size disagrees is asked for again; the text still arrives whole.
TEST_F(OnTheWire, ADamagedPieceIsAskedForAgain) {
    const std::string text = Text(3000);
    a.SendBuffer(text, 3000);
    // Deliver by hand, spoiling the first piece on its way.
    bool spoiled = false;
    while (!wire.queue.empty()) {
        Wire::Datagram d = wire.queue.front();
        wire.queue.pop_front();
        if (!spoiled && d.bytes.starts_with("%SDATA(")) {
            d.bytes.pop_back();
            spoiled = true;
        }
        wire.ports[d.to]->onDatagram(d.bytes, "127.0.0.1", d.from);
    }
    EXPECT_TRUE(spoiled);
    EXPECT_EQ(wire.log[3].bytes, "%NG=0");
    EXPECT_EQ(wire.log[4].bytes.substr(0, 12), "%SDATA(1024)");
    ASSERT_EQ(atB.texts.size(), 1u);
    EXPECT_EQ(atB.texts[0], text);
}

// The member query goes to the broadcast address, and RemoteHost comes back.
// Whatever becomes of a transfer, the next text arrives alone and exactly; an
// empty datagram is an empty text.
TEST_F(OnTheWire, AnAbandonedTransferNeverReachesTheNextText) {
    const std::string piece = Text(1024), tail = Text(1500).substr(1024);
    auto data = [](const std::string& p) { return "%SDATA(" + std::to_string(p.size()) + ")" + p; };
    struct Case {
        bool async;
        std::vector<std::string> datagrams;
        std::vector<std::string> texts;
    } cases[] = {
        {false, {"%SLENGTH=3000", data(piece), "hello"}, {"hello"}},
        {false, {"%SLENGTH=3000", data(piece), "%SLENGTH=1500", data(piece), data(tail)}, {piece + tail}},
        {false, {"%SLENGTH=3000", data(piece), "%SDATA(99)short", "next"}, {"next"}},
        {true, {"%SLENGTH=3000", piece, "%SLENGTH=1500", piece, tail}, {piece + tail}},
        // A third piece of 1024 cannot be part of 3000: a text of its own.
        {true, {"%SLENGTH=3000", piece, piece, piece, "%SLENGTH=1500", piece, tail}, {piece, piece + tail}},
        {false, {"hello", ""}, {"hello", ""}},
        {false, {"%SLENGTH=3000", data(piece), ""}, {""}},
    };
    for (const Case& c : cases) {
        Collector at;
        at.Attach(b);
        b.ASync = c.async;
        for (const std::string& d : c.datagrams) b.UDPDataReceived(static_cast<int>(d.size()), d, "127.0.0.1", 5001);
        EXPECT_EQ(at.texts, c.texts) << c.datagrams.size() << (c.async ? " async" : "");
    }
    // A flood of announcements, each with one piece: nothing piles up.
    Collector at;
    at.Attach(b);
    b.ASync = false;
    for (int i = 0; i < 20000; ++i) {
        b.UDPDataReceived(13, "%SLENGTH=2000", "127.0.0.1", 5001);
        b.UDPDataReceived(1030, data(piece), "127.0.0.1", 5001);
    }
    EXPECT_LE(at.mostHeld, 2000u);
    EXPECT_TRUE(at.texts.empty());
}

// A sender that gives up mid-transfer and sends plain texts: each arrives on
// its own, in both modes, and the transfer is said to be abandoned. A piece
// is 1024 bytes but the last, which makes the announced length exactly.
TEST_F(OnTheWire, TextsAfterAnAbandonedTransferArriveAlone) {
    const std::string piece = Text(1024), plain = Text(500), shortText = "short";
    for (bool async : {true, false}) {
        SCOPED_TRACE(async ? "unacknowledged" : "acknowledged");
        Collector at;
        at.Attach(b);
        b.ASync = async;
        const std::string first = async ? piece : "%SDATA(1024)" + piece;
        for (const std::string& d : {std::string("%SLENGTH=3000"), first, plain, shortText, std::string()})
            b.UDPDataReceived(static_cast<int>(d.size()), d, "127.0.0.1", 5001);
        EXPECT_EQ(at.texts, (std::vector<std::string>{plain, shortText, ""}));
        ASSERT_FALSE(at.statuses.empty());
        EXPECT_EQ(at.statuses.front(), "abandoned: 1024 of 3000 bytes, a text of its own came");
        EXPECT_EQ(b.ExpectedLength(), 0);
    }
    // Sizes either side of what can follow: 1023 and 1025 are no middle piece,
    // 975 is no last piece of 2000 after 1024; 976 is.
    b.ASync = true;
    const struct {
        size_t size;
        bool piece;
    } sizes[] = {{1023, false}, {1025, false}, {975, false}, {977, false}, {976, true}, {1024, false}};
    for (auto [size, isPiece] : sizes) {
        Collector at;
        at.Attach(b);
        for (const std::string& d : {std::string("%SLENGTH=2000"), piece, Text(size)})
            b.UDPDataReceived(static_cast<int>(d.size()), d, "127.0.0.1", 5001);
        EXPECT_EQ(at.texts, (std::vector<std::string>{isPiece ? piece + Text(size) : Text(size)})) << size;
    }
}

// A transfer that hears nothing for five seconds is over: a datagram of just
// the missing size after that is a text of its own, in both modes.
TEST_F(OnTheWire, ASilentTransferEnds) {
    ASSERT_EQ(TKUDP::kTransferTimeoutMs, 5000) << "the five seconds the README and the manual page promise";
    const std::string piece = Text(1024), rest = Text(976);
    for (bool async : {true, false}) {
        for (int waitedMs : {TKUDP::kTransferTimeoutMs, TKUDP::kTransferTimeoutMs + 1}) {
            clock::FixedScope now(std::chrono::system_clock::time_point(std::chrono::hours(500000)));
            Collector at;
            at.Attach(b);
            b.ASync = async;
            auto send = [&](const std::string& d) { b.UDPDataReceived(static_cast<int>(d.size()), d, "127.0.0.1", 5001); };
            send("%SLENGTH=2000");
            send(async ? piece : "%SDATA(1024)" + piece);
            clock::Fix(std::chrono::system_clock::time_point(std::chrono::hours(500000)) +
                       std::chrono::milliseconds(waitedMs));
            send(async ? rest : "%SDATA(976)" + rest);
            const bool ended = waitedMs > TKUDP::kTransferTimeoutMs;
            if (async) {
                EXPECT_EQ(at.texts, (std::vector<std::string>{ended ? rest : piece + rest})) << waitedMs;
            } else {
                EXPECT_EQ(at.texts, ended ? std::vector<std::string>{} : std::vector<std::string>{piece + rest})
                    << waitedMs;
            }
            EXPECT_EQ(!at.statuses.empty() && at.statuses.front().find("nothing came for 5 s") != std::string::npos,
                      ended);
        }
    }
}

// Acknowledged texts one after another: each arrives whole and each is
// reported delivered once, the second as the first (a text of one datagram
// is never acknowledged, so never told).
TEST_F(OnTheWire, EachOfTextsInARowIsDelivered) {
    const std::pair<size_t, size_t> rows[] = {{1025, 1025}, {3000, 2048}, {2048, 3000}, {1025, 4097}};
    for (const auto& [first, second] : rows) {
        SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
        atA.delivered = 0;
        atB.texts.clear();
        a.SendBuffer(Text(first), static_cast<int>(first));
        wire.Pump();
        EXPECT_EQ(atA.delivered, 1);
        a.SendBuffer(Text(second), static_cast<int>(second));
        wire.Pump();
        EXPECT_EQ(atA.delivered, 2);
        EXPECT_EQ(atB.texts, (std::vector<std::string>{Text(first), Text(second)}));
    }
}

// The sender knows the text arrived only when the receiver asks past its last
// piece; a receiver asking for a later piece gets that piece.
TEST_F(OnTheWire, DeliveredOnlyWhenTheLastPieceIsAcknowledged) {
    a.SendBuffer(Text(3000), 3000);
    wire.Pump();
    ASSERT_EQ(atB.texts.size(), 1u);
    EXPECT_EQ(atA.delivered, 1);
    wire.log.clear();
    a.SendBuffer(Text(2500), 2500);
    wire.queue.clear();
    a.UDPDataReceived(5, "%OK=2", "127.0.0.1", 5002);
    ASSERT_EQ(wire.log.size(), 2u);
    EXPECT_EQ(wire.log[1].bytes, "%SDATA(452)" + Text(2500).substr(2048));
    EXPECT_EQ(atA.delivered, 1) << "piece 2 sent is not the text received";
    // A piece whose size does not read as a number is asked for again.
    wire.log.clear();
    b.UDPDataReceived(13, "%SLENGTH=2000", "127.0.0.1", 5001);
    b.UDPDataReceived(13, "%SDATA(x1)abc", "127.0.0.1", 5001);
    ASSERT_EQ(wire.log.size(), 2u);
    EXPECT_EQ(wire.log[1].bytes, "%NG=0");
}

TEST_F(OnTheWire, MemberQuery) {
    b.ASync = true;
    a.GetMember();
    EXPECT_EQ(wire.log.at(0).host, "255.255.255.255");
    EXPECT_EQ(wire.log.at(0).bytes, "%QueryHostName");
    EXPECT_EQ(a.RemoteHost, "127.0.0.1");
    // Delivered to b as if broadcast: it answers with the computer's name.
    b.UDPDataReceived(14, "%QueryHostName", "127.0.0.1", 5001);
    wire.Pump();
    ASSERT_EQ(wire.log.size(), 2u);
    EXPECT_EQ(wire.log[1].bytes, QHostInfo::localHostName().toStdString());
    EXPECT_EQ(atA.texts.back(), QHostInfo::localHostName().toStdString());
    EXPECT_EQ(atB.sendData, 0) << "an answer is no text of ours";
    // In acknowledged mode the query is an ordinary datagram.
    a.UDPDataReceived(14, "%QueryHostName", "127.0.0.1", 5002);
    EXPECT_EQ(atA.texts.back(), "%QueryHostName");
}

// Nothing any program on the LAN sends can make the handler throw, grow a
// buffer from an announced length, or move the state.
TEST_F(OnTheWire, DatagramsNoPeerShouldSend) {
    for (bool async : {false, true}) {
        b.ASync = async;
        for (const char* bad : {"%SLENGTH=abc", "%SLENGTH=", "%SLENGTH=-5", "%SLENGTH=99999999999",
                                "%SLENGTH=2147483647", "%OK=x", "%NG=", "%OK=-3", "%NG=99999999999"}) {
            EXPECT_NO_THROW(b.UDPDataReceived(static_cast<int>(strlen(bad)), bad, "127.0.0.1", 5001)) << bad;
            EXPECT_EQ(b.ExpectedLength(), 0) << bad;
        }
    }
    EXPECT_GE(atB.statuses.size(), 12u);
    b.ASync = false;
    wire.log.clear();
    b.UDPDataReceived(14, "%SDATA(3)abc", "127.0.0.1", 5001);
    EXPECT_TRUE(wire.log.empty()) << "no transfer announced: ignored";
    b.UDPDataReceived(13, "%SLENGTH=2000", "127.0.0.1", 5001);
    for (const std::string& bad : {std::string("%SDATA(zz)abc"), std::string("%SDATA(-1)"), "%SDATA(5000)" + Text(5000),
                                  std::string("%SDATA(3")}) {
        EXPECT_NO_THROW(b.UDPDataReceived(static_cast<int>(bad.size()), bad, "127.0.0.1", 5001));
        EXPECT_EQ(b.ReceivedLength(), 0);
    }
    const std::string tooMuch = "%SDATA(1024)" + Text(1024);
    b.UDPDataReceived(static_cast<int>(tooMuch.size()), tooMuch, "127.0.0.1", 5001);
    b.UDPDataReceived(static_cast<int>(tooMuch.size()), tooMuch, "127.0.0.1", 5001);
    EXPECT_EQ(b.ReceivedLength(), 1024) << "a piece past the announced 2000 bytes is not taken";
    EXPECT_EQ(b.ExpectedLength(), 2000);
}

TEST_F(OnTheWire, BaseErrorsAndReadBuffer) {
    try {
        a.SendBuffer("", 0);
        FAIL();
    } catch (const KudpError& e) {
        EXPECT_STREQ(e.what(), "Invalid buffer");
    }
    a.OnInvalidBuffer = [](bool& handled, char*, int, int& length) {
        handled = true;
        length = 0;
    };
    EXPECT_THROW(a.SendBuffer("", 0), KudpError) << "still nothing to send";
    a.RemoteHost.clear();
    try {
        a.SendBuffer("x", 1);
        FAIL();
    } catch (const KudpError& e) {
        EXPECT_STREQ(e.what(), "Null Remote Address");
    }
    bool asked = false;
    a.OnInvalidHost = [&](bool&) { asked = true; };
    a.RemoteHost = "no.such.host.invalid";
    try {
        a.SendBuffer("x", 1);
        FAIL();
    } catch (const KudpError& e) {
        EXPECT_STREQ(e.what(), "Host Lookup Canceled");
    }
    EXPECT_TRUE(asked);
    b.UDPDataReceived(5, "hello", "127.0.0.1", 5001);
    std::string data;
    int length = 3;
    b.ReadBuffer(data, length);
    EXPECT_EQ(data, "hello");
    EXPECT_EQ(length, 3) << "not raised";
    length = 99;
    b.ReadBuffer(data, length);
    EXPECT_EQ(length, 5) << "lowered to the buffer";
}

// Real sockets on 127.0.0.1, texts of every size that matters, both modes.
bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(KudpOnLoopback, TextsOfEverySizeInBothModes) {
    for (bool async : {false, true}) {
        TKUDP a, b;
        a.Open();
        b.Open();
        a.ASync = b.ASync = async;
        a.RemoteHost = b.RemoteHost = "127.0.0.1";
        a.RemotePort = b.LocalPort;
        b.RemotePort = a.LocalPort;
        Collector atA, atB;
        atA.Attach(a);
        atB.Attach(b);
        size_t expected = 0;
        for (size_t n : {size_t{1}, size_t{1024}, size_t{1025}, size_t{2048}, size_t{100000}}) {
            a.SendBuffer(Text(n), static_cast<unsigned>(n));
            ++expected;
            ASSERT_TRUE(WaitFor([&] { return atB.texts.size() == expected; })) << n << (async ? " async" : "");
            EXPECT_EQ(atB.texts.back(), Text(n)) << n;
        }
        EXPECT_EQ(atA.sendData, 5);
    }
}

// A relay on loopback that spoils the first piece it passes: the acknowledged
// mode asks again and the text arrives whole.
TEST(KudpOnLoopback, ThroughALossyRelay) {
    TKUDP a, b;
    a.Open();
    b.Open();
    QUdpSocket relay;
    ASSERT_TRUE(relay.bind(QHostAddress::LocalHost, 0));
    int spoiled = 0;
    QObject::connect(&relay, &QUdpSocket::readyRead, [&] {
        while (relay.hasPendingDatagrams()) {
            QByteArray d = relay.receiveDatagram().data();
            if (d.startsWith("%SDATA(") && spoiled++ == 0) d.chop(10);
            relay.writeDatagram(d, QHostAddress::LocalHost, b.LocalPort);
        }
    });
    a.RemoteHost = b.RemoteHost = "127.0.0.1";
    a.RemotePort = relay.localPort();
    b.RemotePort = a.LocalPort;
    Collector atB;
    atB.Attach(b);
    a.SendBuffer(Text(5000), 5000);
    ASSERT_TRUE(WaitFor([&] { return !atB.texts.empty(); }));
    EXPECT_EQ(atB.texts[0], Text(5000));
    EXPECT_EQ(spoiled, 6) << "five pieces and the one sent again";
}

// Starts vinta-lan listen and waits until it says it listens: a slow start
// (a loaded machine, a sanitizer) may say nothing for a while.
::testing::AssertionResult StartListening(QProcess& listen, const QString& port, const QStringList& mode) {
    listen.start(QStringLiteral(VINTA_LAN), QStringList{QStringLiteral("listen"), port} + mode);
    if (!listen.waitForStarted(5000)) return ::testing::AssertionFailure() << "vinta-lan did not start";
    QByteArray said;
    QDeadlineTimer ready(10000);
    while (!said.contains("listening") && !ready.hasExpired()) {
        listen.waitForReadyRead(100);
        said += listen.readAllStandardError();
    }
    if (said.contains("listening")) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << said.toStdString();
}

// vinta-lan send to vinta-lan listen on loopback, in both modes.
TEST(LanTool, SendToListen) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("text.txt"));
    const std::string text = Text(5000);
    std::ofstream(file.toStdString(), std::ios::binary) << text;
    for (bool async : {false, true}) {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        const QString port = QString::number(probe.localPort());
        probe.close();
        QStringList mode = async ? QStringList{QStringLiteral("--async")} : QStringList{};
        QProcess listen;
        ASSERT_TRUE(StartListening(listen, port, mode));
        QProcess send;
        send.start(QStringLiteral(VINTA_LAN), QStringList{QStringLiteral("send"), QStringLiteral("127.0.0.1"), port, file} + mode);
        ASSERT_TRUE(send.waitForFinished(20000));
        EXPECT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
        EXPECT_TRUE(send.readAllStandardError().contains("sent 5000 of 5000 bytes"));
        QByteArray out;
        QDeadlineTimer got(10000);
        while (out.size() < static_cast<qsizetype>(text.size() + 1) && !got.hasExpired()) {
            listen.waitForReadyRead(100);
            out += listen.readAllStandardOutput();
        }
        EXPECT_EQ(out.toStdString(), text + "\n") << (async ? "async" : "acknowledged");
        listen.terminate();
        listen.waitForFinished(5000);
    }
    QProcess nobody;
    nobody.start(QStringLiteral(VINTA_LAN), {QStringLiteral("send"), QStringLiteral("127.0.0.1"), QStringLiteral("9"), QStringLiteral("-")});
    nobody.write("short text\n");
    nobody.closeWriteChannel();
    ASSERT_TRUE(nobody.waitForFinished(20000));
    EXPECT_EQ(nobody.exitCode(), 0) << "a single datagram needs no answer";
    QProcess bad;
    bad.start(QStringLiteral(VINTA_LAN), {QStringLiteral("send"), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 64);
}

// send ends 0 only when the receiver acknowledged the whole text: a receiver
// whose last "%OK=" is lost leaves it at exit 1 with one line. listen tells
// what it ignores, a few lines a second however many come.
TEST(LanTool, SendWaitsForTheWholeTextAndListenTellsWhatItIgnores) {
    QUdpSocket receiver;
    ASSERT_TRUE(receiver.bind(QHostAddress::LocalHost, 0));
    int pieces = 0;
    QObject::connect(&receiver, &QUdpSocket::readyRead, [&] {
        while (receiver.hasPendingDatagrams()) {
            const QNetworkDatagram d = receiver.receiveDatagram();
            QByteArray answer;
            if (d.data().startsWith("%SLENGTH=")) answer = "%OK=0";
            if (d.data().startsWith("%SDATA(") && ++pieces < 3) answer = "%OK=" + QByteArray::number(pieces);
            if (!answer.isEmpty()) receiver.writeDatagram(answer, d.senderAddress(), static_cast<quint16>(d.senderPort()));
        }
    });
    QProcess send;
    send.start(QStringLiteral(VINTA_LAN), {QStringLiteral("send"), QStringLiteral("127.0.0.1"),
                                           QString::number(receiver.localPort()), QStringLiteral("-")});
    send.write(QByteArray(3000, 'x'));
    send.closeWriteChannel();
    ASSERT_TRUE(WaitFor([&] { return send.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(pieces, 3);
    EXPECT_EQ(send.exitCode(), 1);
    EXPECT_TRUE(send.readAllStandardError().contains("did not acknowledge the whole text"));

    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    const quint16 port = probe.localPort();
    probe.close();
    QProcess listen;
    listen.start(QStringLiteral(VINTA_LAN), {QStringLiteral("listen"), QString::number(port)});
    QByteArray said;
    ASSERT_TRUE(WaitFor([&] {
        said += listen.readAllStandardError();
        return said.contains("listening");
    }));
    QUdpSocket peer;
    for (int i = 0; i < 50; ++i) peer.writeDatagram(QByteArray("%SLENGTH=zz"), QHostAddress::LocalHost, port);
    WaitFor([&] {
        said += listen.readAllStandardError();
        return said.count("ignored") >= 5;
    });
    // What a flood might still print within the same second.
    WaitFor([&] {
        said += listen.readAllStandardError();
        return false;
    }, 300);
    EXPECT_EQ(said.count("ignored: no number in %SLENGTH="), 5) << said.toStdString();
    listen.terminate();
    listen.waitForFinished(5000);
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// vinta-lan listen, in both modes, after a sender gave up mid-transfer: the
// plain text, the short one and the empty one each arrive alone, and the
// abandoned transfer is said on standard error.
TEST(LanTool, ListenAfterAnAbandonedTransfer) {
    for (bool async : {true, false}) {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        const quint16 port = probe.localPort();
        probe.close();
        QProcess listen;
        ASSERT_TRUE(StartListening(listen, QString::number(port),
                                   async ? QStringList{QStringLiteral("--async")} : QStringList{}));
        QByteArray said;
        QUdpSocket sender;
        const std::string plain = Text(500);
        const QByteArray piece = QByteArray::fromStdString(Text(1024));
        for (const QByteArray& d : {QByteArray("%SLENGTH=3000"), async ? piece : "%SDATA(1024)" + piece,
                                    QByteArray::fromStdString(plain), QByteArray("short"), QByteArray()})
            sender.writeDatagram(d, QHostAddress::LocalHost, port);
        const std::string want = plain + "\nshort\n\n";
        QByteArray out;
        QDeadlineTimer got(10000);
        while (out.size() < static_cast<qsizetype>(want.size()) && !got.hasExpired()) {
            listen.waitForReadyRead(100);
            out += listen.readAllStandardOutput();
            said += listen.readAllStandardError();
        }
        EXPECT_EQ(out.toStdString(), want) << (async ? "async" : "acknowledged");
        listen.waitForReadyRead(200);
        said += listen.readAllStandardError();
        EXPECT_TRUE(said.contains("abandoned: 1024 of 3000 bytes")) << said.toStdString();
        listen.terminate();
        listen.waitForFinished(5000);
    }
}

}  // namespace
}  // namespace vinta
