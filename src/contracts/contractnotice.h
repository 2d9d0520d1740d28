#pragma once

#include "contractreminders.h"

#include <QWidget>
#include <functional>

class QLabel;

// The one notice of what falls due (stages, retention money, warranties): a small
// window beside the frame that never waits for an answer, with a link that opens
// the contract window.
class ContractNotice : public QWidget {
    Q_OBJECT
public:
    ContractNotice(const QVector<ContractReminder>& reminders, std::function<void()> openWindow,
                   QWidget* parent = nullptr);

    // At start: reads the reminders on a connection of its own on another thread, so
    // neither start-up nor the program's connection waits for it, and shows the
    // notice over frame when there are any. A ledger that cannot be read shows nothing.
    static void checkAtStart(QWidget* frame, std::function<void()> openWindow);

private:
    QLabel* m_list;
};
