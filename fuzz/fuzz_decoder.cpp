// The result-file reader: any bytes decode without harm, no shown line is
// longer than the bound, and reading a file in two steps as it grows gives
// the same text as reading it whole: each line's encoding is its own, never
// a matter of where a read ended.
#include "platform/FileRules.h"
#include "platform/QtPlatform.h"
#include "result/ResultReader.h"
#include "settings/Qlk.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QString Path() {
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("result.txt"));
}

void Write(const QByteArray& bytes) {
    QFile f(Path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(bytes);
}

void CheckLines(const QString& text) {
    for (QStringView line : QStringView(text).split(u'\n'))
        if (line.size() > LineBreaker::kMaxLineChars) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QtPlatform platform;
    Qlk::SetPlatform(&platform);
    if (size < 1) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qsizetype cut = bytes.isEmpty() ? 0 : data[0] % (bytes.size() + 1);

    Write(bytes);
    ResultReader whole(Path());
    const ResultReader::Update all = whole.read(FileRules::Stamp(Path()));
    CheckLines(all.text);

    Write(bytes.left(cut));
    ResultReader grown(Path());
    QString text = grown.read(FileRules::Stamp(Path())).text;
    QFile f(Path());
    if (!f.open(QIODevice::Append)) std::abort();
    f.write(bytes.mid(cut));
    f.close();
    for (;;) {
        const ResultReader::Update u = grown.read(FileRules::Stamp(Path()));
        if (u.kind == ResultReader::Update::Append) {
            if (u.redo > text.size()) std::abort();
            text = text.chopped(u.redo) + u.text;
        } else {
            text = u.text;
        }
        if (!u.more) break;
    }
    CheckLines(text);
    if (text != all.text) std::abort();
    return 0;
}
