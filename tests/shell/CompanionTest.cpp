#include "shell/CompanionNotifier.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::int32_t int32At(const QByteArray& bytes, int offset)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

} // namespace

TEST(Companion, PayloadLayout)
{
    struct Case {
        QString path;
        int kind, flag;
        int pathBytes; // bytes before the NUL
    };
    const QString longName = "/tmp/" + QString(300, 'x') + ".cmp";
    const QString wide = "/tmp/" + QString(200, QChar(0x00E9)) + ".hap"; // two bytes each in UTF-8
    const Case cases[] = {
        {"/home/me/talk.cmp", 0, 1, 17},
        {"/home/me/head.hdp", 1, 0, 17},
        {longName, 2, 1, 259},
        {wide, 2, 0, 259},
    };
    for (const Case& c : cases) {
        QByteArray bytes = CompanionNotifier::payload(c.path, c.kind, c.flag);
        ASSERT_EQ(bytes.size(), 268);
        int nul = static_cast<int>(std::strlen(bytes.constData()));
        if (c.path == wide)
            EXPECT_LE(nul, 259); // cut before a half character
        else
            EXPECT_EQ(nul, c.pathBytes);
        EXPECT_EQ(bytes[259], '\0');
        EXPECT_TRUE(QString::fromUtf8(bytes.constData(), nul).isValidUtf16());
        EXPECT_EQ(int32At(bytes, 260), c.kind);
        EXPECT_EQ(int32At(bytes, 264), c.flag);
    }
}

TEST(Companion, ListenerReceivesTheExact268Bytes)
{
    EXPECT_FALSE(CompanionNotifier::isListening());
    EXPECT_FALSE(CompanionNotifier::notify("/tmp/a.cmp", 0, 1));

    QLocalServer::removeServer(CompanionNotifier::serverName());
    QLocalServer server;
    ASSERT_TRUE(server.listen(CompanionNotifier::serverName()));
    QByteArray received;
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection())
            QObject::connect(socket, &QLocalSocket::readyRead, [&received, socket] { received += socket->readAll(); });
    });
    EXPECT_TRUE(CompanionNotifier::isListening());
    received.clear();
    ASSERT_TRUE(CompanionNotifier::notify("/tmp/talk.cmp", 0, 1));
    QElapsedTimer wait;
    wait.start();
    while (received.size() < 268 && wait.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(received, CompanionNotifier::payload("/tmp/talk.cmp", 0, 1));
}
