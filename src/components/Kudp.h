#pragma once
// TKUDP: texts between programs on a LAN over UDP. Texts longer than one
// datagram go in pieces of 1024 bytes, either each asked for by the receiver
// (acknowledged, ASync false) or all at once (ASync true). A member query,
// broadcast, is answered with the computer's name.
//
// OnSendData fires exactly once per text given to SendBuffer, when its last
// datagram has gone out: the single datagram of a text of up to 1024 bytes,
// or the last piece of a longer one (in acknowledged mode, the first time the
// receiver asked for it). Member answers and pieces sent again never fire it.
//
// Whatever arrives, the receive handler never throws: a datagram with a
// number that does not parse, a negative or absurd length or piece number, or
// a piece that would overrun the announced length is ignored and reported
// through OnStatus. Nothing is allocated from an announced length; datagrams
// over 2048 bytes are dropped by the socket.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace vinta {

class DatagramSocket;

class KudpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text put together from the pieces OnReceiveData reports, as a consumer
// does. A piece that does not follow on from what is held (a transfer left
// unfinished, then a new one or a plain datagram) starts afresh, so nothing of
// an abandoned transfer reaches the next text, and what is held never exceeds
// the announced length.
class KudpText {
public:
    // With the event's total and recv and the piece ReadBuffer gave: true
    // when `text` is now a whole text.
    bool Add(int total, int recv, const std::string& piece, std::string& text);
    size_t Held() const { return held_.size(); }

private:
    std::string held_;
};

class TKUDP {
public:
    static constexpr int kPiece = 1024;
    // No text anyone sends comes near this; a longer announcement is ignored.
    static constexpr int kMaxText = 64 << 20;
    // A transfer that receives nothing for this long is over: a lost last
    // piece must not hold the texts that come after it.
    static constexpr int kTransferTimeoutMs = 5000;

    // Uses `socket` (a QUdpSocket one when null), bound to LocalPort by Open.
    explicit TKUDP(std::unique_ptr<DatagramSocket> socket = nullptr);
    ~TKUDP();
    TKUDP(const TKUDP&) = delete;
    TKUDP& operator=(const TKUDP&) = delete;

    // Published properties.
    int LocalPort = 0;
    std::string RemoteHost;
    int RemotePort = 0;
    int ReportLevel = 0;
    bool ASync = false;

    // Events.
    std::function<void(bool& handled, char* Buff, int Buff_Size, int& length)> OnInvalidBuffer;
    std::function<void(TKUDP* Sender)> OnSendData;
    std::function<void(TKUDP* Sender, int total, int recv, const std::string& FromIP, int Port)> OnReceiveData;
    std::function<void(unsigned total, unsigned send1, unsigned send2)> OnSending;
    std::function<void(TKUDP* Sender, unsigned total, unsigned recv1, unsigned recv2, const std::string& FromIP,
                       int Port)>
        OnReceiving;
    std::function<void(TKUDP* Sender, const std::string& status)> OnStatus;
    std::function<void(bool& handled)> OnInvalidHost;
    // Not of the wire format's events: in acknowledged mode, the receiver has
    // asked for the piece after the last ("%OK=" packetCount), so it holds
    // the whole text. Unacknowledged mode and one-datagram texts never tell.
    std::function<void(TKUDP* Sender)> OnDelivered;

    // Binds the socket to LocalPort (0: a free one, then LocalPort holds it).
    // Throws KudpError when the port cannot be had.
    void Open();
    void GetMember();
    void SendBuffer(const std::string& data, unsigned length);
    void ReadBuffer(std::string& data, int& length) const;

    // Handlers of the socket's events.
    void UDPDataReceived(int count, const std::string& bytes, const std::string& FromIP, int Port);
    void UDPDataSend();
    void UDPBufferInvalid(bool& handled, char* Buff, int Buff_Size, int& length);

    // The transfer state, for tests and tools.
    int PacketCount() const { return packetCount_; }
    int SentCount() const { return sentCount_; }
    int AckCount() const { return ackCount_; }
    int ExpectedLength() const { return expectedLength_; }
    int ReceivedLength() const { return receivedLength_; }
    DatagramSocket& Socket() { return *socket_; }

private:
    void Send(const std::string& bytes);  // the base class's send, then the after-send event
    void SendPiece(int k);
    void Plain(int count, const std::string& msg, const std::string& from, int port);
    void Ignore(const std::string& why);
    void ReceiveUnacknowledged(int count, const std::string& msg, const std::string& from, int port);
    void ReceiveAnswer(bool ok, int k);
    void ReceivePiece(const std::string& msg, const std::string& from, int port);
    // Ends a transfer still under way, saying so: a new text came instead, or nothing came for too long.
    void Abandon(const std::string& why);
    bool TransferStale() const;

    std::unique_ptr<DatagramSocket> socket_;
    int packetCount_ = 1;
    int sentCount_ = 0;
    int ackCount_ = 0;
    int expectedLength_ = 0;
    int receivedLength_ = 0;
    int64_t lastPieceMs_ = 0;  // when the transfer under way last moved (the program's clock)
    std::string receiveBuffer_;
    std::string sendBuffer_;
    bool sendDataDue_ = false;   // a text whose last datagram has not gone out
    bool lastPieceOut_ = false;  // set while the datagram just sent ends the text
    bool delivered_ = false;     // the receiver acknowledged the whole text
};

}  // namespace vinta
