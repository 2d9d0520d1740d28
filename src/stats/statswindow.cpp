#include "statswindow.h"

#include "barchart.h"
#include "barseries.h"
#include "changenotice.h"
#include "chartsplitter.h"
#include "chinesefonts.h"
#include "datepicker.h"
#include "datetext.h"
#include "dberror.h"
#include "exportmenu.h"
#include "frame.h"
#include "messages.h"
#include "outersize.h"
#include "pictures.h"
#include "query.h"
#include "querymodel.h"
#include "rowindicatorheader.h"
#include "statisticspass.h"
#include "statsreport.h"
#include "statssnapshot.h"
#include "wheelstepping.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor skyBlue(166, 202, 240);

constexpr int stripHeight = 65;
constexpr int noteHeight = 32;
constexpr int chartHeight = 150;

QFont windowFont() {
    return ChineseFonts::songTi(16);
}

void fill(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

Qt::Alignment titleAlignment(bool centred) {
    return (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

StatsWindow::StatsWindow(const StatsConfiguration& configuration, QWidget* parent)
    : QWidget(parent), m_configuration(configuration), m_ADOQuery1(new Query(this)) {
    setObjectName(QString::fromLatin1(configuration.objectName));
    m_ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    m_Report1 = std::make_unique<StatsReport>(configuration, m_ADOQuery1);
    buildUi();
    Frame::addChild(this);
    placeInFrame();
    FormCreate();
}

StatsWindow::~StatsWindow() = default;

void StatsWindow::buildUi() {
    setWindowTitle(QString::fromUtf8(m_configuration.caption));
    setWindowIcon(Pictures::icon(m_configuration.icon));
    setFont(windowFont());
    fill(this, m_configuration.background.isValid() ? m_configuration.background
                                                    : QApplication::palette().color(QPalette::Button));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildStrip());
    if (QLabel* note = buildNote())
        layout->addWidget(note);
    m_changeNotice = new ChangeNotice(QStringLiteral("明细"), QStringLiteral("条账目"), this);
    connect(m_changeNotice, &ChangeNotice::refreshRequested, this, &StatsWindow::SpeedButton1Click);
    layout->addWidget(m_changeNotice, 0, Qt::AlignLeft);
    buildGrid();
    buildChart();
    layout->addWidget(new ChartSplitter(m_DBGrid1, m_Chart1, chartHeight, this), 1);
    setTabOrder();
}

QGroupBox* StatsWindow::buildStrip() {
    m_GroupBox1 = new QGroupBox(this);
    m_GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_GroupBox1->setFixedHeight(stripHeight);
    fill(m_GroupBox1, skyBlue);

    m_Label1 = new QLabel(QStringLiteral("统计日期从 "), m_GroupBox1);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->move(16, 28);
    m_Date1 = new QDateEdit(m_GroupBox1);
    m_Date1->setObjectName(QStringLiteral("Date1"));
    m_Date1->setGeometry(112, 24, 113, 24);
    m_Label1->setBuddy(m_Date1);
    m_Date1->setAccessibleName(m_Label1->text().trimmed());

    m_Label2 = new QLabel(QStringLiteral("至"), m_GroupBox1);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Label2->move(240, 28);
    m_Date2 = new QDateEdit(m_GroupBox1);
    m_Date2->setObjectName(QStringLiteral("Date2"));
    m_Date2->setGeometry(264, 24, 113, 24);
    m_Label2->setBuddy(m_Date2);
    m_Date2->setAccessibleName(m_Label2->text());
    for (QLabel* label : {m_Label1, m_Label2})
        label->adjustSize();

    m_Bevel1 = new QFrame(m_GroupBox1);
    m_Bevel1->setObjectName(QStringLiteral("Bevel1"));
    m_Bevel1->setFrameShape(QFrame::VLine);
    m_Bevel1->setFrameShadow(QFrame::Sunken);
    m_Bevel1->setGeometry(m_configuration.bevelX, 13, 2, 45);

    m_SpeedButton1 =
        addButton(m_GroupBox1, "SpeedButton1", QStringLiteral("统计"), m_configuration.countX, 89);
    m_SpeedButton1->setIcon(Pictures::button(Pictures::Button::Statistics));
    m_SpeedButton3 = addButton(m_GroupBox1, "SpeedButton3", QStringLiteral("打印"), m_configuration.printX,
                               m_configuration.printWidth);
    m_SpeedButton3->setIcon(Pictures::button(Pictures::Button::Print));
    m_SpeedButton2 =
        addButton(m_GroupBox1, "SpeedButton2", QStringLiteral("退出"), m_configuration.exitX, 89);
    m_SpeedButton2->setIcon(Pictures::button(Pictures::Button::Exit));
    connect(m_SpeedButton1, &QToolButton::clicked, this, &StatsWindow::SpeedButton1Click);
    connect(m_SpeedButton3, &QToolButton::clicked, this, &StatsWindow::SpeedButton3Click);
    connect(m_SpeedButton2, &QToolButton::clicked, this, &StatsWindow::SpeedButton2Click);
    return m_GroupBox1;
}

QToolButton* StatsWindow::addButton(QWidget* strip, const char* name, const QString& caption, int x,
                                    int width) {
    auto* button = new QToolButton(strip);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    button->setFocusPolicy(Qt::TabFocus);
    button->setGeometry(x, 20, width, 33);
    return button;
}

QLabel* StatsWindow::buildNote() {
    if (!m_configuration.note)
        return nullptr;
    m_Panel1 = new QLabel(QString::fromUtf8(m_configuration.note), this);
    m_Panel1->setObjectName(QStringLiteral("Panel1"));
    m_Panel1->setFixedHeight(noteHeight);
    m_Panel1->setAlignment(Qt::AlignCenter);
    fill(m_Panel1, skyBlue);
    QPalette palette = m_Panel1->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    m_Panel1->setPalette(palette);
    return m_Panel1;
}

void StatsWindow::buildGrid() {
    m_DBGrid1 = new QTableView(this);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setAccessibleName(QString::fromUtf8(m_configuration.caption));
    const Qt::Alignment title = titleAlignment(m_configuration.titlesCentred);
    const Qt::Alignment number = Qt::AlignRight | Qt::AlignVCenter;
    m_model = new QueryModel(
        m_ADOQuery1,
        {{QString::fromUtf8(m_configuration.labelField), QString::fromUtf8(m_configuration.labelTitle),
          Qt::AlignLeft | Qt::AlignVCenter, title},
         {QStringLiteral("VT"), QStringLiteral("金额(元)"), number, title},
         {QStringLiteral("RT"), QStringLiteral("数量"), number, title}},
        this);
    m_DBGrid1->setModel(m_model);
    ExportMenu::install(m_DBGrid1,
                        [this] { return statsSnapshot(m_configuration, *m_ADOQuery1, m_from, m_to); });
    m_DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_DBGrid1->setShowGrid(true);
    m_DBGrid1->setWordWrap(false);

    auto* indicator = new RowIndicatorHeader(m_DBGrid1);
    m_DBGrid1->setVerticalHeader(indicator);
    indicator->setDefaultSectionSize(m_DBGrid1->fontMetrics().height() + 4);
    connect(m_DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, indicator,
            [indicator] { indicator->viewport()->update(); });

    QHeaderView* titles = m_DBGrid1->horizontalHeader();
    titles->setFont(windowFont());
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; border: 0px; "
                                         "border-right: 1px solid gray; border-bottom: 1px solid gray; "
                                         "padding: 2px 4px; }")
                              .arg(skyBlue.name()));
    for (int column = 0; column < 3; ++column)
        m_DBGrid1->setColumnWidth(column, m_configuration.columnWidths[column]);
    m_model->bindCurrentRow(m_DBGrid1);
}

void StatsWindow::buildChart() {
    m_Chart1 = new BarChart(this);
    m_Chart1->setObjectName(QStringLiteral("Chart1"));
    m_Chart1->setAccessibleName(QString::fromUtf8(m_configuration.caption));
    m_Chart1->setFocusPolicy(Qt::TabFocus);
    m_Chart1->setTitle(QString::fromUtf8(m_configuration.caption));
    m_Chart1->setBackgroundColour(skyBlue);
    m_Chart1->setRaisedBevel(m_configuration.chartBevel);
}

// The strip (its dates, then its buttons), then grid and chart in the window's order.
// The three buttons are in the chain on purpose, so that 统计, 打印 and 退出 can be
// reached from the keyboard.
void StatsWindow::setTabOrder() {
    QList<QWidget*> chain{m_Date1, m_Date2, m_SpeedButton1, m_SpeedButton3, m_SpeedButton2};
    if (m_configuration.chartBeforeGrid)
        chain << m_Chart1 << m_DBGrid1;
    else
        chain << m_DBGrid1 << m_Chart1;
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void StatsWindow::placeInFrame() {
    OuterSize::apply(Frame::outerWindow(this), m_configuration.outerSize);
    Frame::centreOnMainWindow(this);
}

void StatsWindow::FormCreate() {
    auto setDates = [this] {
        setUpDatePicker(m_Date1);
        setUpDatePicker(m_Date2);
        m_Date1->setDate(QDate::fromString(QStringLiteral("2008-08-01"), Qt::ISODate));
        m_Date2->setDate(QDate::currentDate());
    };
    if (m_configuration.wheelSteppingFirst) {
        AttachGridWheelStepping(m_DBGrid1, m_ADOQuery1);
        setDates();
    } else {
        setDates();
        AttachGridWheelStepping(m_DBGrid1, m_ADOQuery1);
    }
}

void StatsWindow::SpeedButton1Click() {
    m_DBGrid1->setFocus();
    const QString from = storedDateText(m_Date1->date());
    const QString to = storedDateText(m_Date2->date());
    try {
        StatisticsPass::open(*m_ADOQuery1, m_configuration.sql, from, to);
    } catch (const DbError&) {
        return;
    }
    m_from = from;
    m_to = to;
    m_changeNotice->reset();
    try {
        chartResult();
    } catch (const DbError&) {
    }
}

// One bar per row, all rows or all but the total row, from the first row on; the
// walk leaves the query on the last row, which the grid then highlights.
void StatsWindow::chartResult() {
    m_Chart1->removeAllSeries();
    BarSeries* series = m_Chart1->newBarSeries();
    const int rows = m_ADOQuery1->rowCount();
    const int charted = m_configuration.chartAllRows ? rows : rows - 1;
    const int value = m_ADOQuery1->columnIndex(QStringLiteral("VT"));
    const int label = m_ADOQuery1->columnIndex(QString::fromUtf8(m_configuration.chartLabelField));
    const int count = m_ADOQuery1->columnIndex(QStringLiteral("RT"));
    if (value < 0 || label < 0)
        throw DbError(QStringLiteral("找不到统计字段"));
    series->reserve(qMax(charted, 0));
    for (int row = 0; row < charted; ++row)
        series->addPoint(m_ADOQuery1->valueAt(row, value).toDouble(),
                         m_ADOQuery1->valueAt(row, label).toString(), m_configuration.barColour,
                         count < 0 ? -1 : m_ADOQuery1->valueAt(row, count).toInt());
    m_ADOQuery1->last();
    m_Chart1->attach(series);
}

void StatsWindow::SpeedButton3Click() {
    if (!m_ADOQuery1->isOpen()) {
        Messages::error(this, QStringLiteral("请先执行[统计]操作!"));
        return;
    }
    try {
        m_Report1->ShowReport(this);
    } catch (...) {
    }
}

void StatsWindow::SpeedButton2Click() {
    Frame::outerWindow(this)->close();
}

void StatsWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}
