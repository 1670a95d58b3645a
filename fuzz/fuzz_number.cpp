// Number text: any text reads as a finite number, and what is written reads
// back as the same single-precision number.
#include "settings/Qlk.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double v = Qlk::Val(text);
    if (!std::isfinite(v)) std::abort();
    const QString written = Qlk::NumberText(v);
    if (std::isfinite(float(v)) && float(Qlk::Val(written)) != float(v)) std::abort();
    const int count = Qlk::CountValue(text);
    if (count < -32768 || count > 32767) std::abort();
    const int history = Qlk::ClampRecentCount(text);
    if (history < 0 || history > 99) std::abort();
    return 0;
}
