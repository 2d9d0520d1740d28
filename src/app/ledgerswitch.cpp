#include "ledgerswitch.h"

#include "diarybrowser.h"
#include "frame.h"
#include "ledgereditor.h"
#include "messages.h"

#include <QStringList>

namespace LedgerSwitch {

namespace {

// The windows that close without asking although they hold typed input.
QStringList editorsWithInput() {
    QStringList editors;
    if (Form4 && Form4->EditState() != TForm4::BrowseState)
        editors << QStringLiteral("账目编辑");
    if (Form1 && Form1->editState() != TForm1::BrowseState)
        editors << QStringLiteral("装修日记");
    return editors;
}

} // namespace

bool turn(QWidget* parent, const std::function<void()>& change) {
    const QStringList editors = editorsWithInput();
    if (!editors.isEmpty() &&
        !Messages::ask(
            parent,
            QStringLiteral("%1里有没有保存的输入。换账簿会关闭所有窗口，这些输入会丢失。\n仍要换账簿吗?")
                .arg(editors.join(QStringLiteral("和")))))
        return false;
    if (!Frame::closeLedgerWindows()) {
        Messages::warning(parent, QStringLiteral("有窗口没有关闭，账簿没有换。"));
        return false;
    }
    change();
    return true;
}

} // namespace LedgerSwitch
