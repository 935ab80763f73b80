#pragma once
// A datagram socket as the LAN exchange needs it: bound to all addresses on
// one port, sending to a host (dotted address or name) and port, broadcast
// allowed, and telling each datagram that arrives with where it came from.
// The exchange is written against this interface, so that tests can see
// exactly what it sends without a network.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QUdpSocket;

namespace vinta {

class DatagramSocket {
public:
    // The largest datagram taken in; a longer one is dropped whole.
    static constexpr size_t kMaxDatagram = 2048;

    virtual ~DatagramSocket() = default;
    // 0 picks a free port. False when the port cannot be had.
    virtual bool Bind(uint16_t port) = 0;
    virtual uint16_t LocalPort() const = 0;
    enum class SendResult { kSent, kNoHost, kFailed };
    virtual SendResult SendTo(const std::string& host, uint16_t port, std::string_view bytes) = 0;

    // Each datagram of up to kMaxDatagram bytes, its sender as "a.b.c.d" and port.
    std::function<void(const std::string& bytes, const std::string& fromIp, int port)> onDatagram;
    // A datagram that was too long and dropped.
    std::function<void(size_t bytes)> onDropped;
};

// The real one, on QUdpSocket.
class UdpDatagramSocket : public QObject, public DatagramSocket {
    Q_OBJECT
public:
    explicit UdpDatagramSocket(QObject* parent = nullptr);
    ~UdpDatagramSocket() override;
    bool Bind(uint16_t port) override;
    uint16_t LocalPort() const override;
    SendResult SendTo(const std::string& host, uint16_t port, std::string_view bytes) override;

private:
    void Read();
    std::unique_ptr<QUdpSocket> socket_;
};

}  // namespace vinta
