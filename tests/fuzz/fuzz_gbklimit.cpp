// Any text typed or pasted into a limited box: the box never holds more GBK bytes
// than its limit, whatever the text (unpaired surrogates, characters GBK lacks).
#include "gbklimit.h"

#include <QApplication>
#include <QLineEdit>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_gbklimit";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    static QLineEdit* edit = [] {
        auto* e = new QLineEdit;
        setGbkLimit(e, 30);
        return e;
    }();
    if (size < 1)
        return 0;
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data + 1), qsizetype((size - 1) / 2));
    edit->clear();
    if (data[0] & 1)
        edit->setText(QStringLiteral("木工"));
    edit->insert(text);
    if (gbkByteLength(edit->text()) > 30)
        std::abort();
    return 0;
}
