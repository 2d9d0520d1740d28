#pragma once

#include "rowguard.h"
#include <QPointer>
#include <QWidget>

#include <memory>

class BarChart;
class ChangeNotice;
class BudgetCellDelegate;
class BudgetGridModel;
class BudgetReport;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QTabBar;
class QTableView;
class QToolButton;

// The window "预算管理": each project's (or category's) budget against what the
// ledger spent, paid and still owes, over every date or a chosen range, with the
// overall budget on the row "总计" and a chart of budget against spending. Budgets
// are typed into the grid and kept there until 保存 stores them or 撤消 drops them.
class BudgetWindow : public QWidget {
    Q_OBJECT
public:
    explicit BudgetWindow(QWidget* parent = nullptr);
    ~BudgetWindow() override;

    const BudgetGridModel* grid() const { return m_model; }

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void SpeedButton1Click(); // 统计
    void SpeedButton4Click(); // 保存
    void SpeedButton5Click(); // 撤消
    void SpeedButton6Click(); // 删除
    void SpeedButton3Click(); // 打印
    void SpeedButton2Click(); // 退出
    void TabBar1Change(int index);

private:
    QGroupBox* buildStrip();
    void buildGrid();
    void reload();
    void resolveConflict(const RowConflict::Details& conflict);
    void chartRows();
    QString rangeText() const;

    BudgetGridModel* m_model;
    BudgetCellDelegate* m_delegate;
    std::unique_ptr<BudgetReport> m_report;

    QGroupBox* m_GroupBox1 = nullptr;
    QCheckBox* m_CheckBox1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QDateEdit* m_Date1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QDateEdit* m_Date2 = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
    QToolButton* m_SpeedButton4 = nullptr;
    QToolButton* m_SpeedButton5 = nullptr;
    QToolButton* m_SpeedButton6 = nullptr;
    QToolButton* m_SpeedButton3 = nullptr;
    QToolButton* m_SpeedButton2 = nullptr;
    QTabBar* m_TabBar1 = nullptr;
    QTableView* m_DBGrid1 = nullptr;
    BarChart* m_Chart1 = nullptr;
    ChangeNotice* m_changeNotice = nullptr; // others' stores since the last reading
};

// The one budget window, while it is open.
extern QPointer<BudgetWindow> BudgetForm;
