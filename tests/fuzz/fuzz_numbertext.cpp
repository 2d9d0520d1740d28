// Any text through the number reader, and any number read back through the
// formatter: what format() writes, parse() must read as the same number to 15 digits.
#include "numbertext.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto value = NumberText::parse(text)) {
        if (!std::isfinite(*value))
            std::abort();
        const QString shown = NumberText::format(*value);
        const auto again = NumberText::parse(shown);
        if (!again)
            std::abort();
        const double scale = std::max(std::fabs(*value), 1e-300);
        if (std::fabs(*again - *value) / scale > 1e-14)
            std::abort();
    }
    if (size == sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        // Near the largest double, 15 digits round past it: such text is out of range.
        if (std::isfinite(raw) && std::fabs(raw) < 1e308 && !NumberText::parse(NumberText::format(raw)))
            std::abort();
    }
    return 0;
}
