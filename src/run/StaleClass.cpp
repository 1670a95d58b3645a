// The stale-class rule, the compiles this session saw, and the classes an
// applet page names.
#include "StaleClass.h"

#include "settings/Qlk.h"

#include <QRegularExpression>
#include <QSet>

namespace Run::Stale {

Why Judge(const FileStamp& classFile, const FileStamp& source, bool lastCompileFailed) {
    if (!classFile.exists || !source.exists) return Why::Fresh;
    if (lastCompileFailed) return Why::CompileFailed;
    return classFile.mtimeNs < source.mtimeNs ? Why::Older : Why::Fresh;
}

QString Notice(Why why, const QString& path) {
    const QString source = path + QStringLiteral(".java");
    const QString klass = path + QStringLiteral(".class");
    switch (why) {
        case Why::Fresh:
            break;
        case Why::Older:
            return QStringLiteral(
                       "注意: %1 はコンパイルした後に変更されています。実行するのは古い %2 です "
                       "(変更を反映するには、先に ｺﾝﾊﾟｲﾙ実行 してください)")
                .arg(source, klass);
        case Why::CompileFailed:
            return QStringLiteral(
                       "注意: %1 の最後のコンパイルは失敗しました。実行するのは前のコンパイルで"
                       "作られた古い %2 です")
                .arg(source, klass);
    }
    return {};
}

QStringList AppletClasses(const QString& page) {
    // code="...", code='...' or code=... in any tag; "codebase" is another attribute.
    static const QRegularExpression code(
        QStringLiteral("<[^>]*?[\\s\"']code\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>\"']+))"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QRegularExpressionMatch& m : code.globalMatch(page)) {
        QString name = (m.captured(1) + m.captured(2) + m.captured(3)).trimmed();
        if (name.endsWith(QStringLiteral(".class"), Qt::CaseInsensitive)) name.chop(6);
        if (!name.contains(u'/')) name.replace(u'.', u'/');
        if (name.isEmpty() || name.startsWith(u'/') || name.contains(QStringLiteral(".."))) continue;
        if (!out.contains(name)) out << name;
    }
    return out;
}

void Compiles::started(const QString& source, quint64 serial) {
    m_pending = source;
    m_pendingSerial = serial;
}

void Compiles::settle(const RunInfo& run, bool replaced) {
    if (m_pending.isEmpty()) return;
    if (!replaced && run.serial == m_pendingSerial && run.live()) return;
    const bool good = run.serial == m_pendingSerial && run.phase == RunInfo::Exited && run.exitCode == 0;
    if (good)
        m_failed.remove(m_pending);
    else
        m_failed.insert(m_pending);
    m_pending.clear();
}

bool Compiles::lastFailed(const QString& source) const { return m_failed.contains(source); }

QStringList Notices(const QString& folder, const QStringList& paths, const Compiles& compiles) {
    QStringList out;
    for (const QString& path : paths) {
        const QString base = folder + u'/' + path;
        const QString source = base + QStringLiteral(".java");
        const Why why = Judge(Qlk::P().files().fileStamp(base + QStringLiteral(".class")),
                              Qlk::P().files().fileStamp(source), compiles.lastFailed(source));
        if (why != Why::Fresh) out << Notice(why, path);
    }
    return out;
}

}  // namespace Run::Stale
