#pragma once

#include <QPointer>
#include <QWidget>

class ChangeNotice;
class HistoryModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QTableView;
class QToolButton;

// 操作记录: every change stored in the ledger during a period (both days included),
// newest first, optionally only one person's, with who, when, what and how. Reading
// never writes; the history cannot be edited here or anywhere in the program.
//
// On a shared ledger, what others store meanwhile adds to the history: the window
// says so ("有 3 条新的操作记录，点此刷新", as the ledger list does) rather than
// moving the rows under the reader's eyes; a click reads the period again, keeping
// the chosen change chosen.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget* parent = nullptr);

    HistoryModel* model() const { return m_model; }

public Q_SLOTS:
    void showPeriod(); // 查询
    // The same period again, with the people who stored meanwhile offered too.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillAuthors();

    HistoryModel* m_model;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_author;
    QToolButton* m_query;
    QTableView* m_grid;
    QLabel* m_count;
    ChangeNotice* m_changeNotice;
};

extern QPointer<HistoryWindow> HistoryForm;
