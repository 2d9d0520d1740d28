// Any text through the date normalisation: never a crash, and a year-first
// d/m pattern always comes out as ten characters.
#include "datetext.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString input = text;
    NormalizeDateText(text);
    if (input.size() >= 8 && input.size() <= 10 && input.toLatin1() == input.toUtf8()) {
        const bool shortMonth = input[6] == QLatin1Char('-') || input[6] == QLatin1Char('/');
        const int dayAt = shortMonth ? 8 : 9;
        if (input.size() >= dayAt && text.size() != 10)
            std::abort();
    }
    return 0;
}
