#include "DatagramSocket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QVariant>

namespace vinta {

UdpDatagramSocket::UdpDatagramSocket(QObject* parent) : QObject(parent), socket_(std::make_unique<QUdpSocket>()) {
    connect(socket_.get(), &QUdpSocket::readyRead, this, &UdpDatagramSocket::Read);
}

UdpDatagramSocket::~UdpDatagramSocket() = default;

bool UdpDatagramSocket::Bind(uint16_t port) {
    if (!socket_->bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress)) return false;
    // Unacknowledged transfers arrive as one burst of pieces: room for a
    // hundred of them, as far as the system allows.
    socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1 << 20));
    return true;
}

uint16_t UdpDatagramSocket::LocalPort() const { return socket_->localPort(); }

DatagramSocket::SendResult UdpDatagramSocket::SendTo(const std::string& host, uint16_t port, std::string_view bytes) {
    QHostAddress address(QString::fromStdString(host));
    if (address.isNull()) {
        QHostInfo info = QHostInfo::fromName(QString::fromStdString(host));
        for (const QHostAddress& a : info.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a;
                break;
            }
        if (address.isNull()) return SendResult::kNoHost;
    }
    qint64 n = socket_->writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), address, port);
    return n == static_cast<qint64>(bytes.size()) ? SendResult::kSent : SendResult::kFailed;
}

void UdpDatagramSocket::Read() {
    while (socket_->hasPendingDatagrams()) {
        QNetworkDatagram d = socket_->receiveDatagram(kMaxDatagram + 1);
        const QByteArray data = d.data();
        // receiveDatagram cuts at the size asked for: one byte more tells a
        // datagram that was too long.
        if (static_cast<size_t>(data.size()) > kMaxDatagram) {
            if (onDropped) onDropped(static_cast<size_t>(data.size()));
            continue;
        }
        QHostAddress from = d.senderAddress();
        bool ok = false;
        quint32 v4 = from.toIPv4Address(&ok);
        std::string ip = ok ? QHostAddress(v4).toString().toStdString() : from.toString().toStdString();
        if (onDatagram) onDatagram(data.toStdString(), ip, d.senderPort());
    }
}

}  // namespace vinta
