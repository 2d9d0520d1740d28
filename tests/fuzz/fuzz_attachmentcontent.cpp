// Any content stored as an attachment, under any name and type: telling its type,
// making its thumbnail (images through Qt's plugins, PDFs through Qt PDF) and the
// scaling offered for large pictures never crash and always give an answer.
// Leaks are not looked for: besides Qt's caches, the PDF engine inside Qt PDF keeps
// a few small allocations of some damaged files.
#include "attachmentintake.h"
#include "attachmentpreview.h"

#include <QApplication>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_attachmentcontent";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_IMAGEIO_MAXALLOC", "64"); // megabytes: a hostile header asks for no more
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    if (size < 1)
        return 0;
    static const char* const names[] = {"a.png", "a.jpg", "a.gif", "a.bmp", "a.pdf", "a.bin", "a.svg", "a"};
    static const char* const types[] = {"image/png",       "image/jpeg",
                                        "image/gif",       "image/bmp",
                                        "application/pdf", "application/octet-stream",
                                        "image/svg+xml",   ""};
    const QByteArray content(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const int choice = data[0] % 8;
    const AttachmentPreview preview = AttachmentPreview::of(content, QString::fromLatin1(types[choice]), 96);
    if (preview.kind != AttachmentPreview::Kind::Damaged && preview.kind != AttachmentPreview::Kind::File &&
        (preview.thumbnail.isNull() || preview.thumbnail.width() > 96 || preview.thumbnail.height() > 96))
        std::abort();
    AttachmentIntake intake = AttachmentIntake::fromContent(QString::fromLatin1(names[choice]), content);
    if (intake.attachment().mime.isEmpty() || intake.attachment().data != content)
        std::abort();
    if ((data[0] & 8) && intake.isLargeImage())
        intake.scaleDown();
    return 0;
}
