#include "DisplayChoice.h"

QList<QByteArray> WithDisplayPlatform(const QList<QByteArray>& args, const QByteArray& qpaPlatform,
                                      const QByteArray& display) {
    if (!qpaPlatform.isEmpty() || display.isEmpty()) return args;
    for (qsizetype i = 1; i < args.size(); ++i) {
        // Qt reads "--platform" as "-platform" too.
        if (args[i] == "-platform" || args[i] == "--platform") return args;
    }
    QList<QByteArray> chosen = args;
    const qsizetype at = chosen.isEmpty() ? 0 : 1;
    chosen.insert(at, QByteArrayLiteral("xcb"));
    chosen.insert(at, QByteArrayLiteral("-platform"));
    return chosen;
}
