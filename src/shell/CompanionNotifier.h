#pragma once

#include <QByteArray>
#include <QString>

// Tells a companion program listening on the local server "Cuebench Class" that a document was
// saved. Nothing is expected back; no listener means nobody is told.
class CompanionNotifier {
public:
    static constexpr int kPayloadSize = 268;
    static const char* serverName();

    // The 268-byte notice: the saved file's full path in 260 bytes (NUL-terminated, cut to fit), the
    // document kind (0 project, 1 head definition, 2 head animation) and the flag (1 after Save,
    // 0 after the question of Save As), both 32-bit little-endian.
    static QByteArray payload(const QString& path, int documentKind, int afterPlainSave);

    // True when a companion program listens.
    static bool isListening();
    // Sends the notice; false when nobody listens or it could not be delivered.
    static bool notify(const QString& path, int documentKind, int afterPlainSave);
};
