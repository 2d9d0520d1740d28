#include "contractnotice.h"

#include "dberror.h"
#include "frame.h"
#include "ledgerplace.h"
#include "windowlook.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

ContractNotice::ContractNotice(const QVector<ContractReminder>& reminders, std::function<void()> openWindow,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("ContractNotice"));
    setWindowTitle(QStringLiteral("提醒"));
    setAttribute(Qt::WA_DeleteOnClose);
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);
    QStringList lines = ContractReminders::texts(reminders, 12);
    for (QString& line : lines)
        line.prepend(QStringLiteral("· "));
    m_list = new QLabel(lines.join(QLatin1Char('\n')), this);
    m_list->setObjectName(QStringLiteral("ReminderList"));
    m_list->setAccessibleName(QStringLiteral("提醒"));
    m_list->setWordWrap(true);
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_list);
    auto* link = new QLabel(QStringLiteral("<a href=\"contracts\">打开“合同与付款”</a>"), this);
    link->setObjectName(QStringLiteral("OpenContracts"));
    link->setAccessibleName(QStringLiteral("打开“合同与付款”"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this, openWindow = std::move(openWindow)] {
        if (openWindow)
            openWindow();
        close();
    });
    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("CloseNotice"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* row = new QHBoxLayout;
    row->addWidget(link);
    row->addStretch(1);
    row->addWidget(closeButton);
    layout->addLayout(row);
    setMaximumWidth(560);
}

void ContractNotice::checkAtStart(QWidget* frame, std::function<void()> openWindow) {
    const LedgerPlace place = LedgerPlace::ofProgram();
    const QDate today = QDate::currentDate();
    // The frame outlives the read: it waits for it when it goes (below).
    QObject* context = frame;
    QThread* reader = QThread::create([place, today, context, openWindow = std::move(openWindow)] {
        QVector<ContractReminder> reminders;
        try {
            const LedgerConnection ledger(place, LedgerConnection::Access::Read, 0);
            reminders = ContractReminders::read(ledger.connection(), today);
        } catch (const DbError&) {
            return; // no ledger yet, busy, or no contracts: nothing to remind of
        }
        if (reminders.isEmpty())
            return;
        QMetaObject::invokeMethod(
            context,
            [context, reminders, openWindow] {
                auto* notice = new ContractNotice(reminders, openWindow, qobject_cast<QWidget*>(context));
                notice->show();
                Frame::centreOnMainWindow(notice);
            },
            Qt::QueuedConnection);
    });
    QObject::connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    // The frame waits for a read still running when it goes, rather than leave it behind.
    QObject::connect(frame, &QObject::destroyed, reader, [reader] { reader->wait(); });
    reader->start();
}
