#include "shell/CompanionNotifier.h"

#include <QFileInfo>
#include <QLocalSocket>

#include <cstring>

namespace {

constexpr int kPathBytes = 260;
constexpr int kConnectMs = 300;

void putInt32(char* out, std::int32_t value)
{
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

} // namespace

const char* CompanionNotifier::serverName() { return "Cuebench Class"; }

QByteArray CompanionNotifier::payload(const QString& path, int documentKind, int afterPlainSave)
{
    QByteArray bytes(kPayloadSize, '\0');
    QByteArray encoded = QFileInfo(path).absoluteFilePath().toUtf8();
    // Cut on a character boundary so the receiver never sees half of a UTF-8 sequence.
    int length = std::min<int>(static_cast<int>(encoded.size()), kPathBytes - 1);
    while (length > 0 && length < encoded.size() && (static_cast<unsigned char>(encoded[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(bytes.data(), encoded.constData(), static_cast<size_t>(length));
    putInt32(bytes.data() + kPathBytes, documentKind);
    putInt32(bytes.data() + kPathBytes + 4, afterPlainSave);
    return bytes;
}

bool CompanionNotifier::isListening()
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromLatin1(serverName()));
    bool listening = socket.waitForConnected(kConnectMs);
    socket.abort();
    return listening;
}

bool CompanionNotifier::notify(const QString& path, int documentKind, int afterPlainSave)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromLatin1(serverName()));
    if (!socket.waitForConnected(kConnectMs))
        return false;
    QByteArray notice = payload(path, documentKind, afterPlainSave);
    bool sent = socket.write(notice) == notice.size() && socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return sent;
}
