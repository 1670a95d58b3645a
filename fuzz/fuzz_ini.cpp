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
    return 0;
}
