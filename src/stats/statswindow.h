#pragma once

#include "statsconfiguration.h"

#include <QWidget>

#include <memory>

class BarChart;
class ChangeNotice;
class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QTableView;
class QToolButton;
class Query;
class QueryModel;
class StatsReport;

// A statistics window: a date range in a strip along the top, the statistic's rows
// in a grid, and a bar chart of its groups along the bottom. "统计" runs the
// statistic, "打印" prints its last result. The configuration says which statistic
// and how this window looks.
class StatsWindow : public QWidget {
    Q_OBJECT
public:
    ~StatsWindow() override;
    const StatsConfiguration& configuration() const { return m_configuration; }

protected:
    explicit StatsWindow(const StatsConfiguration& configuration, QWidget* parent = nullptr);

    void closeEvent(QCloseEvent* event) override;
    // Clears the window's single-instance reference.
    virtual void FormClose() = 0;

private Q_SLOTS:
    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton2Click();

private:
    void buildUi();
    QGroupBox* buildStrip();
    QLabel* buildNote();
    void buildGrid();
    void buildChart();
    void setTabOrder();
    QToolButton* addButton(QWidget* strip, const char* name, const QString& caption, int x, int width);
    void placeInFrame();
    void chartResult();

    const StatsConfiguration& m_configuration;
    Query* m_ADOQuery1;
    QueryModel* m_model = nullptr;
    std::unique_ptr<StatsReport> m_Report1;
    QString m_from, m_to; // the date range of the last 统计

    QGroupBox* m_GroupBox1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QDateEdit* m_Date1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QDateEdit* m_Date2 = nullptr;
    QFrame* m_Bevel1 = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
    QToolButton* m_SpeedButton3 = nullptr;
    QToolButton* m_SpeedButton2 = nullptr;
    QLabel* m_Panel1 = nullptr;
    QTableView* m_DBGrid1 = nullptr;
    BarChart* m_Chart1 = nullptr;
    ChangeNotice* m_changeNotice = nullptr; // others' stores since the last 统计
};
