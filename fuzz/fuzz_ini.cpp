// The store's file format: any value reads back exactly as written, and any
// file, however broken, parses without harm.
#include "platform/IniStore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const IniStore::Sections parsed = IniStore::parse(bytes);
    // What was parsed is written and read back unchanged.
    if (IniStore::parse(IniStore::serialize(parsed)) != parsed) std::abort();

    // Any text as a value of a plain key survives the file.
    QString value = QString::fromUtf8(bytes);
    IniStore::Sections one;
    one[QStringLiteral("setting")][QStringLiteral("Key")] = value;
    if (IniStore::parse(IniStore::serialize(one)) != one) std::abort();
    if (IniStore::decodeValue(IniStore::encodeValue(value)) != value) std::abort();

    // Setting one key in any file changes that key and nothing else the
    // reader sees, whether the key or its section is there or not.
    for (const QString& section : {QStringLiteral("setting"), QStringLiteral("recent")}) {
        IniStore::Sections expected = parsed;
        expected[section][QStringLiteral("Key")] = value;
        if (IniStore::parse(IniStore::update(bytes, section, QStringLiteral("Key"), value)) != expected)
            std::abort();
    }
    return 0;
}
