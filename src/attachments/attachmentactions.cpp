#include "attachmentactions.h"

#include "attachmentpictures.h"
#include "attachmentwindow.h"
#include "messages.h"

#include <QAbstractItemView>
#include <QAction>
#include <QToolButton>

namespace AttachmentActions {

namespace {

void openFor(QWidget* from, const EntryKey& entryKey) {
    const qint64 key = entryKey();
    if (key > 0)
        AttachmentWindow::showFor(key, from->window());
    else
        Messages::information(from, QStringLiteral("请先选中一条已保存的账目。"));
}

} // namespace

QAction* forList(QAbstractItemView* view, EntryKey entryKey) {
    auto* action = new QAction(AttachmentPictures::paperClip(), QStringLiteral("附件…"), view);
    action->setObjectName(QStringLiteral("AttachmentsAction"));
    QObject::connect(action, &QAction::triggered, view, [view, entryKey] { openFor(view, entryKey); });
    return action;
}

QToolButton* forWindow(QWidget* parent, const QRect& geometry, EntryKey entryKey) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("AttachmentsButton"));
    button->setIcon(AttachmentPictures::paperClip());
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setAccessibleName(QStringLiteral("附件"));
    button->setToolTip(QStringLiteral("附件"));
    button->setGeometry(geometry);
    QObject::connect(button, &QToolButton::clicked, parent,
                     [button, entryKey] { openFor(button, entryKey); });
    return button;
}

} // namespace AttachmentActions
