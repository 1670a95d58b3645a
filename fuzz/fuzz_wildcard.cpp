// Wildcard matching agrees with a plain recursive reference on short inputs
// and never fails a pattern against itself without wildcards.
#include "platform/PathRules.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool Reference(QStringView p, QStringView n) {
    if (p.isEmpty()) return n.isEmpty();
    if (p.front() == u'*') return Reference(p.mid(1), n) || (!n.isEmpty() && Reference(p, n.mid(1)));
    if (n.isEmpty()) return false;
    return (p.front() == u'?' || p.front() == n.front()) && Reference(p.mid(1), n.mid(1));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = text.indexOf(u'\n');
    const QString pattern = split < 0 ? text : text.left(split);
    const QString name = split < 0 ? text : text.mid(split + 1);
    const bool match = PathRules::WildcardMatch(pattern, name);
    if (pattern.size() <= 12 && name.size() <= 16 && match != Reference(pattern, name)) std::abort();
    if (!PathRules::HasWildcard(pattern) && !PathRules::WildcardMatch(pattern, pattern)) std::abort();
    if (!PathRules::WildcardMatch(u"*", name)) std::abort();
    return 0;
}
