#include "Kudp.h"

#include <QHostInfo>
#include <charconv>
#include <string_view>

#include "framework/DatagramSocket.h"
#include "runtime/Clock.h"

namespace vinta {

namespace {

constexpr std::string_view kQuery = "%QueryHostName";
constexpr std::string_view kLength = "%SLENGTH=";
constexpr std::string_view kData = "%SDATA(";
constexpr std::string_view kOk = "%OK=";
constexpr std::string_view kNg = "%NG=";

// A whole decimal number and nothing else.
bool Number(std::string_view text, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

TKUDP::TKUDP(std::unique_ptr<DatagramSocket> socket) : socket_(std::move(socket)) {
    if (!socket_) socket_ = std::make_unique<UdpDatagramSocket>();
    socket_->onDatagram = [this](const std::string& bytes, const std::string& from, int port) {
        UDPDataReceived(static_cast<int>(bytes.size()), bytes, from, port);
    };
    socket_->onDropped = [this](size_t n) { Ignore("datagram of " + std::to_string(n) + " bytes dropped"); };
}

TKUDP::~TKUDP() = default;

void TKUDP::Open() {
    if (!socket_->Bind(static_cast<uint16_t>(LocalPort)))
        throw KudpError("cannot use port " + std::to_string(LocalPort));
    LocalPort = socket_->LocalPort();
}

void TKUDP::Send(const std::string& bytes) {
    int length = static_cast<int>(bytes.size());
    std::string buffer = bytes;
    if (length == 0) {
        bool handled = false;
        UDPBufferInvalid(handled, buffer.data(), length, length);
        if (!handled || length <= 0) throw KudpError("Invalid buffer");
        buffer.resize(static_cast<size_t>(length));
    }
    if (RemoteHost.empty()) throw KudpError("Null Remote Address");
    auto result = socket_->SendTo(RemoteHost, static_cast<uint16_t>(RemotePort), buffer);
    if (result == DatagramSocket::SendResult::kNoHost) {
        bool handled = false;
        if (OnInvalidHost) OnInvalidHost(handled);
        throw KudpError("Host Lookup Canceled");
    }
    UDPDataSend();
}

void TKUDP::UDPDataSend() {
    // The pieces stay, so that a receiver can still ask for one again.
    if (lastPieceOut_ && sendDataDue_) {
        sendDataDue_ = false;
        lastPieceOut_ = false;
        if (OnSendData) OnSendData(this);
    }
}

void TKUDP::UDPBufferInvalid(bool& handled, char* Buff, int Buff_Size, int& length) {
    if (OnInvalidBuffer) OnInvalidBuffer(handled, Buff, Buff_Size, length);
}

void TKUDP::GetMember() {
    const std::string remembered = RemoteHost;
    RemoteHost = "255.255.255.255";
    try {
        Send(std::string(kQuery));
    } catch (...) {
        RemoteHost = remembered;
        throw;
    }
    RemoteHost = remembered;
}

void TKUDP::SendBuffer(const std::string& data, unsigned length) {
    const std::string text = data.substr(0, length);
    const unsigned n = static_cast<unsigned>(text.size());
    sentCount_ = 0;
    delivered_ = false;
    sendBuffer_.clear();
    sendDataDue_ = true;
    if (n <= static_cast<unsigned>(kPiece)) {
        packetCount_ = 1;
        lastPieceOut_ = true;
        Send(text);
        if (OnSending) OnSending(n, n, n);
        return;
    }
    packetCount_ = static_cast<int>((n + kPiece - 1) / kPiece);
    sendBuffer_ = text;
    lastPieceOut_ = false;
    Send(std::string(kLength) + std::to_string(n));
    if (!ASync) return;  // the receiver asks for each piece
    for (int k = 0; k < packetCount_;) {
        const size_t at = static_cast<size_t>(k) * kPiece;
        const std::string piece = sendBuffer_.substr(at, kPiece);
        const int count = packetCount_;
        lastPieceOut_ = k == count - 1;
        Send(piece);
        ++k;
        sentCount_ = k;
        if (OnSending) OnSending(n, static_cast<unsigned>(at + piece.size()), static_cast<unsigned>(piece.size()));
    }
}

void TKUDP::SendPiece(int k) {
    const size_t at = static_cast<size_t>(k) * kPiece;
    const std::string piece = sendBuffer_.substr(at, kPiece);
    lastPieceOut_ = k == packetCount_ - 1;
    Send(std::string(kData) + std::to_string(piece.size()) + ")" + piece);
    ++sentCount_;
    if (OnSending)
        OnSending(static_cast<unsigned>(sendBuffer_.size()), static_cast<unsigned>(at + piece.size()),
                  static_cast<unsigned>(piece.size()));
}

void TKUDP::ReadBuffer(std::string& data, int& length) const {
    data = receiveBuffer_;
    if (length > static_cast<int>(receiveBuffer_.size())) length = static_cast<int>(receiveBuffer_.size());
}

void TKUDP::Ignore(const std::string& why) {
    if (OnStatus) OnStatus(this, "ignored: " + why);
}

namespace {
int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock::Now().time_since_epoch()).count();
}
}  // namespace

void TKUDP::Abandon(const std::string& why) {
    if (expectedLength_ == 0) return;
    if (OnStatus)
        OnStatus(this, "abandoned: " + std::to_string(receivedLength_) + " of " + std::to_string(expectedLength_) +
                           " bytes, " + why);
    expectedLength_ = receivedLength_ = 0;
}

bool TKUDP::TransferStale() const { return expectedLength_ > 0 && NowMs() - lastPieceMs_ > kTransferTimeoutMs; }

void TKUDP::Plain(int count, const std::string& msg, const std::string& from, int port) {
    Abandon("a text of its own came");
    receiveBuffer_ = msg;
    const unsigned c = static_cast<unsigned>(count);
    if (OnReceiving) OnReceiving(this, c, c, c, from, port);
    if (OnReceiveData) OnReceiveData(this, count, count, from, port);
    expectedLength_ = 0;
    receivedLength_ = 0;
}

void TKUDP::UDPDataReceived(int count, const std::string& bytes, const std::string& from, int port) {
    if (TransferStale()) Abandon("nothing came for " + std::to_string(kTransferTimeoutMs / 1000) + " s");
    if (count < 1) {
        Abandon("an empty text came");
        receiveBuffer_.clear();  // an empty text, not the last one again
        if (OnReceiveData) OnReceiveData(this, count, count, from, port);
        expectedLength_ = 0;
        receivedLength_ = 0;
        return;
    }
    const std::string msg = bytes.substr(0, std::min(bytes.size(), DatagramSocket::kMaxDatagram));
    const std::string_view m(msg);
    auto numberAfter = [&](std::string_view prefix, int& value) {
        if (Number(m.substr(prefix.size()), value)) return true;
        Ignore("no number in " + std::string(prefix));
        return false;
    };

    if (m.starts_with(kLength)) {
        int n = 0;
        if (!numberAfter(kLength, n)) return;
        if (n <= 0 || n > kMaxText) return Ignore("length " + std::to_string(n));
        Abandon("a new text was announced");
        expectedLength_ = n;
        receivedLength_ = 0;
        lastPieceMs_ = NowMs();
        receiveBuffer_.clear();
        ackCount_ = 0;
        if (!ASync) Send(std::string(kOk) + "0");
        return;
    }
    if (ASync) return ReceiveUnacknowledged(count, msg, from, port);
    if (m.starts_with(kOk) || m.starts_with(kNg)) {
        int k = 0;
        if (numberAfter(kOk, k)) ReceiveAnswer(m.starts_with(kOk), k);
        return;
    }
    if (m.starts_with(kData)) return ReceivePiece(msg, from, port);
    Plain(count, msg, from, port);
}

// Unacknowledged mode: pieces follow their announcement without answers.
void TKUDP::ReceiveUnacknowledged(int count, const std::string& msg, const std::string& from, int port) {
    if (std::string_view(msg).starts_with(kQuery)) {
        sentCount_ = -1;
        Send(QHostInfo::localHostName().toStdString());
        return;
    }
    // A piece is 1024 bytes but the last, which makes the announced length
    // exactly: anything else is a text of its own, and the transfer is over.
    const int size = static_cast<int>(msg.size());
    const bool middle = size == kPiece && receivedLength_ + size < expectedLength_;
    if (expectedLength_ == 0 || !(middle || receivedLength_ + size == expectedLength_))
        return Plain(count, msg, from, port);
    receiveBuffer_ = msg;
    receivedLength_ += size;
    lastPieceMs_ = NowMs();
    if (OnReceiving)
        OnReceiving(this, static_cast<unsigned>(expectedLength_), static_cast<unsigned>(receivedLength_),
                    static_cast<unsigned>(size), from, port);
    if (OnReceiveData) OnReceiveData(this, expectedLength_, receivedLength_, from, port);
    if (receivedLength_ == expectedLength_) expectedLength_ = receivedLength_ = 0;
}

// The receiver asks for piece `k` (ok: the ones before arrived); asking for
// the piece after the last says the whole text arrived.
void TKUDP::ReceiveAnswer(bool ok, int k) {
    if (k < 0) return Ignore("piece " + std::to_string(k));
    if (k < packetCount_ && !sendBuffer_.empty()) SendPiece(k);
    if (k == packetCount_ && ok && !sendBuffer_.empty() && !delivered_) {
        delivered_ = true;
        if (OnDelivered) OnDelivered(this);
    }
}

void TKUDP::ReceivePiece(const std::string& msg, const std::string& from, int port) {
    if (expectedLength_ == 0) return;
    const size_t close = msg.find(')');
    if (close == std::string::npos) {
        Send(std::string(kNg) + std::to_string(ackCount_));
        return;
    }
    int size = 0;
    // A size that does not read as one asks for the piece again, as a wrong
    // size does, instead of stalling until the sender gives up.
    if (!Number(std::string_view(msg).substr(kData.size(), close - kData.size()), size)) {
        Ignore("no number in %SDATA(");
        Send(std::string(kNg) + std::to_string(ackCount_));
        return;
    }
    const std::string payload = msg.substr(close + 1);
    if (size < 0 || size > kPiece || static_cast<int>(payload.size()) != size) {
        Send(std::string(kNg) + std::to_string(ackCount_));
        return;
    }
    if (receivedLength_ + size > expectedLength_) return Ignore("piece past the announced length");
    receiveBuffer_ = payload;
    receivedLength_ += size;
    lastPieceMs_ = NowMs();
    ++ackCount_;
    if (OnReceiving)
        OnReceiving(this, static_cast<unsigned>(expectedLength_), static_cast<unsigned>(receivedLength_),
                    static_cast<unsigned>(size), from, port);
    if (OnReceiveData) OnReceiveData(this, expectedLength_, receivedLength_, from, port);
    if (receivedLength_ == expectedLength_) expectedLength_ = receivedLength_ = 0;
    Send(std::string(kOk) + std::to_string(ackCount_));
}

bool KudpText::Add(int total, int recv, const std::string& piece, std::string& text) {
    const bool follows = recv >= 0 && held_.size() + piece.size() == static_cast<size_t>(recv) &&
                         static_cast<size_t>(recv) <= static_cast<size_t>(std::max(total, 0));
    if (follows)
        held_ += piece;
    else
        held_ = recv == static_cast<int>(piece.size()) && recv <= std::max(total, 0) ? piece : std::string();
    if (recv != total || held_.size() != static_cast<size_t>(std::max(total, 0))) return false;
    text.swap(held_);
    held_.clear();
    return true;
}

}  // namespace vinta
