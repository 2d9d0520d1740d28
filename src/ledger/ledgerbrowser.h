#pragma once

#include "ledgerquery.h"
#include "ledgerrow.h"
#include "rowguard.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolButton;
class QTreeView;
class QVBoxLayout;
class LedgerListModel;
class Query;
class TForm4;
class ChangeNotice;

// The ledger browser "账目明细管理": lists ledger entries chosen by a date range and
// further criteria, with the totals line under the list, and sends entries to the
// ledger editor for entering or changing; deletes and prints entries.
//
// The list ListView1 is a view over a LedgerListModel; the query state (the last
// query's text, date range, criteria captions and totals) is a LedgerQuery. The
// printed list reads both: ledgerQuery() and listModel().
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();
    ~TForm3() override;

    // Runs the stored query text and replaces the list's rows, then the totals.
    void FillList();
    // Recomputes the totals over the rows on display and writes the totals line.
    void UpdateTotals();

    QTreeView* listView() const { return m_ListView1; }
    LedgerListModel* listModel() const { return m_listModel; }
    const LedgerQuery& ledgerQuery() const { return m_query; }

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void FormCreate();
    void SpeedButton7Click(); // 查询
    void SpeedButton8Click(); // 详情
    void SpeedButton1Click(); // 录入
    void SpeedButton2Click(); // 修改
    void SpeedButton3Click(); // 删除
    void SpeedButton5Click(); // 刷新
    void SpeedButton4Click(); // 打印
    void SpeedButton6Click(); // 退出
    void ListView1SelectItem();
    void refreshAfterChanges();

private:
    void FormClose();
    void buildButtonBar(QVBoxLayout* layout);
    void buildCriteria(QVBoxLayout* layout);
    void buildList(QVBoxLayout* layout);
    void buildTotalsBar(QVBoxLayout* layout);

    LedgerCriteria criteria() const;
    int selectedRow() const;
    bool hasSelectedRow() const;
    void selectRow(int row);
    // Opens the editor or focuses the open one, and hands it the list.
    TForm4* openEditor();
    void handListToEditor();
    void assumeListRead(const LedgerRow& entry);
    bool removeEntryGuarded(int row);
    void showStoredEntry(int row, const RowConflict::Details& conflict);

    LedgerQuery m_query;
    Query* m_ADOQuery1;
    LedgerListModel* m_listModel;

    QToolButton* m_SpeedButton7;
    QToolButton* m_SpeedButton8;
    QToolButton* m_SpeedButton1;
    QToolButton* m_SpeedButton2;
    QToolButton* m_SpeedButton3;
    QToolButton* m_SpeedButton5;
    QToolButton* m_SpeedButton4;
    QToolButton* m_SpeedButton6;

    QDateEdit* m_Date1;
    QDateEdit* m_Date2;
    QLineEdit* m_Edit2;
    QComboBox* m_ComboBox1;
    QLineEdit* m_Edit1;
    QComboBox* m_ComboBox4;
    QComboBox* m_ComboBox3;
    QComboBox* m_ComboBox2;

    QTreeView* m_ListView1;
    QLabel* m_Label8;
    // Others' stores on a shared ledger: offered as a line to click rather than
    // refreshed at once, so the list never changes under the user's hand or under
    // the editor stepping through it.
    ChangeNotice* m_changeNotice;
};

// The one ledger browser, while it is open.
extern QPointer<TForm3> Form3;
