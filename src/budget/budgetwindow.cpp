#include "budgetwindow.h"

#include "conflictdialog.h"

#include "barchart.h"
#include "barseries.h"
#include "budgetcelldelegate.h"
#include "budgetgridmodel.h"
#include "budgetreport.h"
#include "changenotice.h"
#include "chartsplitter.h"
#include "database.h"
#include "datepicker.h"
#include "datetext.h"
#include "dberror.h"
#include "frame.h"
#include "ledgersaves.h"
#include "messages.h"
#include "numbertext.h"
#include "pictures.h"
#include "query.h"
#include "sqltexts.h"
#include "windowlook.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

QPointer<BudgetWindow> BudgetForm;

namespace {

const QColor skyBlue = WindowLook::skyBlue;
const QColor budgetGreen(0, 160, 0);
const QColor spentBlue(0, 0, 255);
const QColor overRed(255, 0, 0);

constexpr int chartHeight = 200;
const int columnWidths[] = {48, 150, 90, 90, 90, 90, 90, 96};

} // namespace

BudgetWindow::BudgetWindow(QWidget* parent)
    : QWidget(parent), m_model(new BudgetGridModel(this)), m_delegate(new BudgetCellDelegate(this)),
      m_report(std::make_unique<BudgetReport>()) {
    setObjectName(QStringLiteral("BudgetForm"));
    setWindowTitle(QStringLiteral("预算管理"));
    setWindowIcon(Pictures::icon(4));
    WindowLook::apply(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildStrip());
    m_TabBar1 = new QTabBar(this);
    m_TabBar1->setObjectName(QStringLiteral("TabBar1"));
    m_TabBar1->setAccessibleName(QStringLiteral("预算类别"));
    m_TabBar1->addTab(QStringLiteral("按对应工程"));
    m_TabBar1->addTab(QStringLiteral("按材料类型"));
    layout->addWidget(m_TabBar1);
    m_changeNotice = new ChangeNotice(QStringLiteral("明细"), QStringLiteral("条账目"), this);
    connect(m_changeNotice, &ChangeNotice::refreshRequested, this, &BudgetWindow::SpeedButton1Click);
    layout->addWidget(m_changeNotice, 0, Qt::AlignLeft);
    buildGrid();
    m_Chart1 = new BarChart(this);
    m_Chart1->setObjectName(QStringLiteral("Chart1"));
    m_Chart1->setAccessibleName(QStringLiteral("预算与已用"));
    m_Chart1->setTitle(QStringLiteral("预算与已用"));
    m_Chart1->setBackgroundColour(skyBlue);
    m_Chart1->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(new ChartSplitter(m_DBGrid1, m_Chart1, chartHeight, this), 1);
    connect(m_TabBar1, &QTabBar::currentChanged, this, &BudgetWindow::TabBar1Change);
    // What the ledger editor stores shows here too, once its save is done.
    connect(&LedgerSaves::instance(), &LedgerSaves::entryStored, this,
            [this] { QTimer::singleShot(0, this, &BudgetWindow::reload); });
    connect(m_model, &BudgetGridModel::refused, this,
            [this](const QString& message) { Messages::error(this, message); });

    Frame::addChild(this);
    Frame::outerWindow(this)->resize(900, 600);
    Frame::centreOnMainWindow(this);
    reload();
}

BudgetWindow::~BudgetWindow() = default;

QGroupBox* BudgetWindow::buildStrip() {
    m_GroupBox1 = new QGroupBox(this);
    m_GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QPalette palette = m_GroupBox1->palette();
    palette.setColor(QPalette::Window, skyBlue);
    m_GroupBox1->setPalette(palette);
    m_GroupBox1->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(m_GroupBox1);

    // Every date unless a range is asked for; the range starts as the statistics' does.
    m_CheckBox1 = new QCheckBox(QStringLiteral("按日期"), m_GroupBox1);
    m_CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_Label1 = new QLabel(QStringLiteral("从"), m_GroupBox1);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Date1 = new QDateEdit(m_GroupBox1);
    m_Date1->setObjectName(QStringLiteral("Date1"));
    m_Label2 = new QLabel(QStringLiteral("至"), m_GroupBox1);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Date2 = new QDateEdit(m_GroupBox1);
    m_Date2->setObjectName(QStringLiteral("Date2"));
    for (auto [label, picker] : {std::pair{m_Label1, m_Date1}, std::pair{m_Label2, m_Date2}}) {
        setUpDatePicker(picker);
        picker->setMinimumWidth(113); // a whole date in 宋体 16, as in the statistics windows
        label->setBuddy(picker);
        picker->setAccessibleName(label->text());
        picker->setEnabled(false);
    }
    m_Date1->setDate(QDate(2008, 8, 1));
    m_Date2->setDate(QDate::currentDate());
    connect(m_CheckBox1, &QCheckBox::toggled, m_Date1, &QWidget::setEnabled);
    connect(m_CheckBox1, &QCheckBox::toggled, m_Date2, &QWidget::setEnabled);
    for (QWidget* widget :
         {static_cast<QWidget*>(m_CheckBox1), static_cast<QWidget*>(m_Label1), static_cast<QWidget*>(m_Date1),
          static_cast<QWidget*>(m_Label2), static_cast<QWidget*>(m_Date2)})
        row->addWidget(widget);
    row->addSpacing(12);

    m_SpeedButton1 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton1", QStringLiteral("统计"),
                                               Pictures::Button::Statistics);
    m_SpeedButton4 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton4", QStringLiteral("保存"),
                                               Pictures::Button::Save);
    m_SpeedButton5 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton5", QStringLiteral("撤消"),
                                               Pictures::Button::Cancel);
    m_SpeedButton6 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton6", QStringLiteral("删除"),
                                               Pictures::Button::Delete);
    m_SpeedButton3 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton3", QStringLiteral("打印"),
                                               Pictures::Button::Print);
    m_SpeedButton2 = WindowLook::pictureButton(m_GroupBox1, "SpeedButton2", QStringLiteral("退出"),
                                               Pictures::Button::Exit);
    for (QToolButton* button :
         {m_SpeedButton1, m_SpeedButton4, m_SpeedButton5, m_SpeedButton6, m_SpeedButton3, m_SpeedButton2})
        row->addWidget(button);
    row->addStretch(1);
    connect(m_SpeedButton1, &QToolButton::clicked, this, &BudgetWindow::SpeedButton1Click);
    connect(m_SpeedButton4, &QToolButton::clicked, this, &BudgetWindow::SpeedButton4Click);
    connect(m_SpeedButton5, &QToolButton::clicked, this, &BudgetWindow::SpeedButton5Click);
    connect(m_SpeedButton6, &QToolButton::clicked, this, &BudgetWindow::SpeedButton6Click);
    connect(m_SpeedButton3, &QToolButton::clicked, this, &BudgetWindow::SpeedButton3Click);
    connect(m_SpeedButton2, &QToolButton::clicked, this, &BudgetWindow::SpeedButton2Click);
    return m_GroupBox1;
}

void BudgetWindow::buildGrid() {
    m_DBGrid1 = new QTableView(this);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setAccessibleName(QStringLiteral("预算管理"));
    m_DBGrid1->setModel(m_model);
    m_DBGrid1->setItemDelegateForColumn(BudgetGridModel::BudgetColumn, m_delegate);
    m_DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    m_DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_DBGrid1->setWordWrap(false);
    m_DBGrid1->verticalHeader()->setDefaultSectionSize(m_DBGrid1->fontMetrics().height() + 6);
    m_DBGrid1->verticalHeader()->hide(); // 编号 numbers the rows already
    for (int column = 0; column < BudgetGridModel::ColumnCount; ++column)
        m_DBGrid1->setColumnWidth(column, columnWidths[column]);
}

QString BudgetWindow::rangeText() const {
    if (!m_CheckBox1->isChecked())
        return QStringLiteral("全部");
    return storedDateText(m_Date1->date()) + QStringLiteral(" 至 ") + storedDateText(m_Date2->date());
}

namespace {

// Every row of 项目 or 归类 in key order, the name trimmed. Throws DbError.
BudgetGridModel::NameList namesOf(const QString& sql, const QString& nameColumn) {
    Query query;
    query.setSql(sql);
    query.open();
    const int key = query.columnIndex(QStringLiteral("MID")), name = query.columnIndex(nameColumn);
    if (key < 0 || name < 0)
        throw DbError(QStringLiteral("找不到字段"));
    BudgetGridModel::NameList names;
    names.reserve(query.rowCount());
    for (int row = 0; row < query.rowCount(); ++row)
        names.append(
            {query.valueAt(row, key).toLongLong(), trimmedText(query.valueAt(row, name).toString())});
    return names;
}

} // namespace

// Reads the lookup lists, the budgets and the sums; reading never writes. A file
// that cannot be read (busy, none, not a ledger) leaves the grid with the total row
// only, and the user is told why.
void BudgetWindow::reload() {
    BudgetGridModel::NameList projects, categories;
    QHash<BudgetKey, double> budgets;
    BudgetSums sums;
    QString failure;
    try {
        QSqlDatabase db = Database::instance().connection();
        projects = namesOf(SqlTexts::projects(), QStringLiteral("NAMES"));
        categories = namesOf(SqlTexts::categories(), QStringLiteral("DNAMES"));
        budgets = BudgetTable::load(db);
        sums = m_CheckBox1->isChecked()
                   ? BudgetSums::compute(db, storedDateText(m_Date1->date()), storedDateText(m_Date2->date()))
                   : BudgetSums::compute(db);
    } catch (const DbError& error) {
        projects.clear();
        categories.clear();
        budgets.clear();
        sums = {};
        failure = error.message();
    }
    m_model->setLedger(projects, categories, budgets, sums);
    m_changeNotice->reset();
    chartRows();
    if (!failure.isEmpty())
        Messages::error(this, QStringLiteral("无法读取预算: ") + failure);
}

// One group per row but the total: the budget, then what was spent, red once over it.
void BudgetWindow::chartRows() {
    m_Chart1->removeAllSeries();
    BarSeries* series = m_Chart1->newBarSeries();
    series->setGroups({{QStringLiteral("预算"), budgetGreen}, {QStringLiteral("已用"), spentBlue}});
    const QVector<BudgetGridModel::Row>& rows = m_model->rows();
    series->reserve(int(rows.size()) * 2);
    for (int i = 0; i + 1 < rows.size(); ++i) {
        const BudgetGridModel::Row& row = rows[i];
        const QString name = row.name.isEmpty() ? QStringLiteral("#%1").arg(row.key.refId) : row.name;
        const double budget = m_model->budget(i).value_or(0);
        const bool over = budget > 0 && row.spending.spent.fen() > Money::fromDouble(budget).fen();
        series->addPoint(budget, name, budgetGreen);
        series->addPoint(row.spending.spent.toDouble(), name, over ? overRed : spentBlue);
    }
    m_Chart1->attach(series);
}

void BudgetWindow::SpeedButton1Click() {
    m_delegate->commitOpenEditor();
    reload();
}

void BudgetWindow::SpeedButton4Click() {
    m_delegate->commitOpenEditor();
    if (!m_model->hasChanges())
        return;
    try {
        BudgetTable::save(Database::instance().connection(), m_model->changes());
    } catch (const RowConflict& conflict) {
        resolveConflict(conflict.details());
        return;
    } catch (const DbError& failure) {
        // The typed budgets stay in the grid, to be saved again.
        Messages::error(this, QStringLiteral("预算没能保存: ") + failure.message());
        return;
    }
    m_model->markSaved();
    chartRows();
}

// Someone else stored a budget this window meant to change since it read them.
void BudgetWindow::resolveConflict(const RowConflict::Details& conflict) {
    switch (ConflictDialog::ask(this, conflict)) {
    case ConflictDialog::Cancel:
        return; // the typed budgets stay
    case ConflictDialog::TakeTheirs:
        m_model->revert();
        reload();
        return;
    case ConflictDialog::KeepMine:
        break;
    }
    try {
        BudgetTable::save(Database::instance().connection(), m_model->changes(), BudgetTable::Overwrite::Yes);
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("预算没能保存: ") + failure.message());
        return;
    }
    m_model->markSaved();
    reload();
}

void BudgetWindow::SpeedButton5Click() {
    m_model->revert();
    chartRows();
}

void BudgetWindow::SpeedButton6Click() {
    const QModelIndex current = m_DBGrid1->currentIndex();
    if (!current.isValid() || !m_model->budget(current.row()))
        return;
    m_model->setBudgetText(current.row(), QString());
    chartRows();
}

void BudgetWindow::SpeedButton3Click() {
    m_delegate->commitOpenEditor();
    m_report->setUp(m_model, rangeText());
    try {
        m_report->ShowReport(this);
    } catch (...) {
    }
}

void BudgetWindow::SpeedButton2Click() {
    Frame::outerWindow(this)->close();
}

void BudgetWindow::TabBar1Change(int index) {
    m_delegate->commitOpenEditor();
    m_model->setKind(index == 1 ? BudgetKey::Category : BudgetKey::Project);
    chartRows();
}

void BudgetWindow::closeEvent(QCloseEvent* event) {
    if (m_model->hasChanges() &&
        !Messages::ask(this, QStringLiteral("修改过的预算还没有保存，仍要关闭吗?"))) {
        event->ignore();
        return;
    }
    BudgetForm = nullptr;
    QWidget::closeEvent(event);
}
