#include "diarybrowser.h"

#include "application.h"
#include "chinesefonts.h"
#include "conflictdialog.h"
#include "datepicker.h"
#include "datetext.h"
#include "dberror.h"
#include "diarylistmodel.h"
#include "diarysnapshot.h"
#include "exportmenu.h"
#include "frame.h"
#include "gbklimit.h"
#include "messages.h"
#include "pictures.h"
#include "query.h"
#include "recyclebin.h"
#include "sqlconnection.h"
#include "sqltexts.h"
#include "storedtext.h"
#include "wheelstepping.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

QPointer<TForm1> Form1;

namespace {

const QColor skyBlue(166, 202, 240);
const QColor moneyGreen(192, 220, 192);
const QColor listBackground(244, 225, 242);

QFont windowFont() {
    return ChineseFonts::songTi(16);
}

void setBase(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

QLabel* labelFor(QWidget* parent, const QString& caption, QWidget* buddy, int x, int y) {
    auto* label = new QLabel(caption, parent);
    label->move(x, y);
    label->setBuddy(buddy);
    buddy->setAccessibleName(caption);
    return label;
}

QComboBox* choiceBox(QWidget* parent, const char* name, const QStringList& items, int x) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setGeometry(x, 14, 105, 24);
    box->setEditText(QString());
    setGbkLimit(box, 10);
    return box;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), m_ADOQuery1(new Query(this)), m_model(new DiaryListModel(this)) {
    setObjectName(QStringLiteral("Form1"));
    m_ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    buildUi();
    placeInFrame();
    FormCreate();
}

void TForm1::buildUi() {
    setWindowTitle(QStringLiteral("装修日记管理"));
    setWindowIcon(Pictures::icon(12));
    setFont(windowFont());
    QPalette background = palette();
    background.setColor(QPalette::Window, skyBlue);
    setPalette(background);
    setAutoFillBackground(true);

    m_Panel3 = new QWidget(this);
    m_Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* left = new QVBoxLayout(m_Panel3);
    left->setContentsMargins(0, 0, 0, 0);
    m_ListView1 = new QTreeView(m_Panel3);
    m_ListView1->setObjectName(QStringLiteral("ListView1"));
    m_ListView1->setAccessibleName(QStringLiteral("日记列表"));
    m_ListView1->setModel(m_model);
    ExportMenu::install(m_ListView1, [this] { return diarySnapshot(*m_model); });
    m_ListView1->setRootIsDecorated(false);
    m_ListView1->setItemsExpandable(false);
    m_ListView1->setUniformRowHeights(true);
    m_ListView1->setAllColumnsShowFocus(true);
    m_ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ListView1->header()->setSectionsMovable(false);
    m_ListView1->header()->setSectionsClickable(false);
    m_ListView1->header()->setStretchLastSection(false);
    m_ListView1->setColumnWidth(DiaryListModel::DateColumn, 100);
    m_ListView1->setColumnWidth(DiaryListModel::MoodColumn, 80);
    m_ListView1->setColumnWidth(DiaryListModel::WeatherColumn, 80);
    QPalette list = m_ListView1->palette();
    list.setColor(QPalette::Base, listBackground);
    // The selection stays visible while the list does not have the focus.
    list.setColor(QPalette::Inactive, QPalette::Highlight, list.color(QPalette::Active, QPalette::Highlight));
    list.setColor(QPalette::Inactive, QPalette::HighlightedText,
                  list.color(QPalette::Active, QPalette::HighlightedText));
    m_ListView1->setPalette(list);
    left->addWidget(m_ListView1);

    m_Splitter1 = new QSplitter(Qt::Horizontal, this);
    m_Splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_Splitter1->setHandleWidth(8);
    m_Splitter1->setChildrenCollapsible(false);
    m_Splitter1->addWidget(m_Panel3);
    m_Splitter1->addWidget(buildRightPane());
    m_Splitter1->setStretchFactor(1, 1);
    m_Splitter1->setSizes({289, 600});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopBar());
    layout->addWidget(m_Splitter1, 1);

    connect(m_ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::ListView1SelectItem);
    connect(m_SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(m_SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(m_SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(m_SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(m_SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(m_SpeedButton7, &QToolButton::clicked, this, &TForm1::SpeedButton7Click);

    setTabOrder(m_ListView1, m_Date1);
    setTabOrder(m_Date1, m_ComboBox1);
    setTabOrder(m_ComboBox1, m_ComboBox2);
    setTabOrder(m_ComboBox2, m_RichEdit1);
}

QWidget* TForm1::buildTopBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(57);
    m_SpeedButton1 = addButton(bar, "SpeedButton1", QStringLiteral("新增"), 8);
    m_SpeedButton2 = addButton(bar, "SpeedButton2", QStringLiteral("修改 "), 120);
    m_SpeedButton3 = addButton(bar, "SpeedButton3", QStringLiteral("保存 "), 232);
    m_SpeedButton5 = addButton(bar, "SpeedButton5", QStringLiteral("取消 "), 336);
    m_SpeedButton4 = addButton(bar, "SpeedButton4", QStringLiteral("删除"), 448);
    m_SpeedButton7 = addButton(bar, "SpeedButton7", QStringLiteral("退出"), 560);
    m_SpeedButton1->setIcon(Pictures::button(Pictures::Button::Add));
    m_SpeedButton2->setIcon(Pictures::button(Pictures::Button::Edit));
    m_SpeedButton3->setIcon(Pictures::button(Pictures::Button::Save));
    m_SpeedButton5->setIcon(Pictures::button(Pictures::Button::Cancel));
    m_SpeedButton4->setIcon(Pictures::button(Pictures::Button::Delete));
    m_SpeedButton7->setIcon(Pictures::button(Pictures::Button::Exit));
    m_SpeedButton3->setEnabled(false);
    m_SpeedButton5->setEnabled(false);
    return bar;
}

QToolButton* TForm1::addButton(QWidget* bar, const char* name, const QString& caption, int x) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    button->setGeometry(x, 13, 97, 36);
    return button;
}

QWidget* TForm1::buildRightPane() {
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("Panel4"));
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_Panel2 = new QWidget(pane);
    m_Panel2->setObjectName(QStringLiteral("Panel2"));
    m_Panel2->setFixedHeight(49);
    m_Panel2->setEnabled(false);
    m_Date1 = new QDateEdit(QDate::currentDate(), m_Panel2);
    m_Date1->setObjectName(QStringLiteral("Date1"));
    setUpDatePicker(m_Date1);
    m_Date1->setGeometry(56, 14, 121, 24);
    labelFor(m_Panel2, QStringLiteral("日期"), m_Date1, 8, 18);
    m_ComboBox1 = choiceBox(m_Panel2, "ComboBox1",
                            {QStringLiteral("晴天"), QStringLiteral("阴天"), QStringLiteral("小雨"),
                             QStringLiteral("大雨"), QStringLiteral("下雪"), QStringLiteral("冰雹")},
                            240);
    labelFor(m_Panel2, QStringLiteral("天气"), m_ComboBox1, 192, 18);
    m_ComboBox2 = choiceBox(m_Panel2, "ComboBox2",
                            {QStringLiteral("高兴"), QStringLiteral("生气"), QStringLiteral("伤心"),
                             QStringLiteral("一般"), QStringLiteral("愤怒"), QString()},
                            400);
    labelFor(m_Panel2, QStringLiteral("心情"), m_ComboBox2, 352, 18);
    layout->addWidget(m_Panel2);

    m_RichEdit1 = new QPlainTextEdit(pane);
    m_RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    m_RichEdit1->setAccessibleName(QStringLiteral("日记正文"));
    m_RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_RichEdit1->setReadOnly(true);
    setBase(m_RichEdit1, moneyGreen);
    layout->addWidget(m_RichEdit1, 1);
    return pane;
}

// A fixed dialog frame filling the workspace, sized once as it opens.
void TForm1::placeInFrame() {
    const Qt::WindowFlags titleBar =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(Qt::Window | titleBar);
    if (QMdiSubWindow* sub = Frame::addChild(this)) {
        sub->setWindowFlags(Qt::SubWindow | titleBar);
        sub->show();
    }
    Frame::FitChildToFrame(this);
    QWidget* outer = Frame::outerWindow(this);
    outer->setFixedSize(outer->size());
}

void TForm1::FormCreate() {
    m_EditState = BrowseState;
    try {
        m_ADOQuery1->setSql(SqlTexts::diary());
        m_ADOQuery1->open();
        QVector<DiaryEntry> entries;
        entries.reserve(m_ADOQuery1->rowCount());
        for (m_ADOQuery1->first(); !m_ADOQuery1->eof(); m_ADOQuery1->next()) {
            entries.append(
                {m_ADOQuery1->text(QStringLiteral("DATES")), m_ADOQuery1->text(QStringLiteral("STATUS")),
                 m_ADOQuery1->text(QStringLiteral("COOL")), m_ADOQuery1->integer(QStringLiteral("MID")),
                 m_ADOQuery1->text(QStringLiteral("TEXTS"))});
        }
        m_ADOQuery1->close();
        m_model->setEntries(std::move(entries));
        AttachListWheelStepping(m_ListView1);
    } catch (const DbError& error) {
        m_ADOQuery1->close();
        Application::reportUnhandled(error.message());
    }
}

int TForm1::selectedRow() const {
    const QModelIndexList rows = m_ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TForm1::selectRow(int row) {
    const QModelIndex index = m_model->index(row, 0);
    m_ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_ListView1->scrollTo(index);
}

void TForm1::showEntryBoxes(const DiaryEntry& entry) {
    showText(entry.text);
    m_ComboBox1->setEditText(entry.weather);
    m_ComboBox2->setEditText(entry.mood);
}

// The text as stored is kept beside what the box shows, so that a save writes back
// only what the user changed in it.
void TForm1::showText(const QString& stored) {
    m_RichEdit1->setPlainText(StoredText::toShown(stored));
    m_storedText = stored;
    m_shownText = m_RichEdit1->toPlainText();
}

void TForm1::ListView1SelectItem() {
    if (m_EditState == NewState || m_removingRow)
        return;
    const int row = selectedRow();
    if (row < 0) {
        showText(QString());
        return;
    }
    const DiaryEntry& entry = m_model->entry(row);
    const QDate date = QDate::fromString(entry.date, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) {
        Application::reportUnhandled(QStringLiteral("“%1”不是有效的日期").arg(entry.date));
        return;
    }
    m_Date1->setDate(date);
    showEntryBoxes(entry);
}

void TForm1::ShowBrowseState() {
    m_EditState = BrowseState;
    m_SpeedButton1->setEnabled(true);
    m_SpeedButton2->setEnabled(true);
    m_SpeedButton4->setEnabled(true);
    m_SpeedButton3->setEnabled(false);
    m_SpeedButton5->setEnabled(false);
    m_Panel2->setEnabled(false);
    m_RichEdit1->setReadOnly(true);
    setBase(m_RichEdit1, moneyGreen);
    m_Panel3->setEnabled(true);
}

void TForm1::ShowEditState() {
    m_SpeedButton3->setEnabled(true);
    m_SpeedButton5->setEnabled(true);
    m_SpeedButton1->setEnabled(false);
    m_SpeedButton2->setEnabled(false);
    m_SpeedButton4->setEnabled(false);
    m_Panel2->setEnabled(true);
    m_RichEdit1->setReadOnly(false);
    setBase(m_RichEdit1, QApplication::palette(m_RichEdit1).color(QPalette::Base));
    m_Panel3->setEnabled(false);
}

void TForm1::SpeedButton1Click() {
    m_EditState = NewState;
    m_ListView1->clearSelection();
    m_Date1->setDate(QDate::currentDate());
    showText(QString());
    m_ComboBox1->setEditText(QString());
    m_ComboBox2->setEditText(QString());
    ShowEditState();
}

void TForm1::SpeedButton2Click() {
    if (selectedRow() < 0)
        return;
    m_EditState = ModifyState;
    ShowEditState();
}

void TForm1::SpeedButton5Click() {
    ShowBrowseState();
    const int row = selectedRow();
    if (row >= 0)
        showEntryBoxes(m_model->entry(row));
    else
        showText(QString());
}

namespace {

RowValues valuesOf(const DiaryEntry& entry) {
    return {{QStringLiteral("DATES"), entry.date},
            {QStringLiteral("STATUS"), entry.mood},
            {QStringLiteral("COOL"), entry.weather},
            {QStringLiteral("TEXTS"), entry.text}};
}

// The list read the entry when the window opened; the query reads it again just
// before the write. Where the two differ someone changed it in between: the list's
// texts are then what the write compares with (a null reads as an empty text).
void assumeListRead(Query& query, const DiaryEntry& entry) {
    RowValues differing;
    const RowValues listed = valuesOf(entry);
    for (auto it = listed.cbegin(); it != listed.cend(); ++it) {
        if (query.text(it.key()) != it.value().toString())
            differing.insert(it.key(), it.value());
    }
    query.assumeRead(differing);
}

} // namespace

// Writes the typed entry: a new row in new state, the selected entry's row in modify
// state. Returns the key the engine gave a new row.
qint64 TForm1::storeEntry(const DiaryEntry& entry) {
    m_ADOQuery1->close();
    m_ADOQuery1->clearSql();
    if (m_EditState == NewState) {
        m_ADOQuery1->addSql(SqlTexts::emptyDiary());
        m_ADOQuery1->open();
        m_ADOQuery1->append();
    } else {
        const DiaryEntry& read = m_model->entry(selectedRow());
        m_ADOQuery1->addSql(SqlTexts::diaryEntry(read.key));
        m_ADOQuery1->open();
        if (m_ADOQuery1->rowCount() == 0)
            throw RowConflict(RowGuard::describe(SqlConnection::program(), m_ADOQuery1->tableName(), read.key,
                                                 valuesOf(read), valuesOf(entry)));
        assumeListRead(*m_ADOQuery1, read);
        m_ADOQuery1->edit();
    }
    m_ADOQuery1->setValue(QStringLiteral("COOL"), entry.weather);
    m_ADOQuery1->setValue(QStringLiteral("STATUS"), entry.mood);
    m_ADOQuery1->setValue(QStringLiteral("DATES"), entry.date);
    m_ADOQuery1->setValue(QStringLiteral("TEXTS"), entry.text);
    m_ADOQuery1->post();
    const qint64 key = m_ADOQuery1->integer(QStringLiteral("MID"));
    m_ADOQuery1->close();
    return key;
}

// The key of the entry just inserted: the largest key of the table. Should reading
// it fail, the key the engine reported for the insert stands in, for the entry is
// stored either way.
qint64 TForm1::newestKey(qint64 storedKey) {
    try {
        m_ADOQuery1->setSql(SqlTexts::newestDiaryEntry());
        m_ADOQuery1->open();
        const qint64 key = m_ADOQuery1->integer(QStringLiteral("MID"));
        m_ADOQuery1->close();
        return key;
    } catch (const DbError&) {
        m_ADOQuery1->close();
        return storedKey;
    }
}

void TForm1::SpeedButton3Click() {
    if (m_EditState == BrowseState || (m_EditState == ModifyState && selectedRow() < 0))
        return;
    DiaryEntry entry{storedDateText(m_Date1->date()), m_ComboBox2->currentText(), m_ComboBox1->currentText(),
                     0, StoredText::afterEdit(m_storedText, m_shownText, m_RichEdit1->toPlainText())};
    qint64 storedKey = 0;
    try {
        storedKey = storeEntry(entry);
    } catch (const RowConflict& conflict) {
        m_ADOQuery1->close();
        resolveConflict(conflict.details(), entry);
        return;
    } catch (const DbError& error) {
        // Nothing was stored: the window stays as it is, with what was typed.
        m_ADOQuery1->close();
        Messages::error(this, QStringLiteral("数据库错误，这篇日记没有保存!\r\n\r\n") + error.message());
        return;
    }
    if (m_EditState == NewState) {
        entry.key = newestKey(storedKey);
        selectRow(m_model->addEntry(entry));
    } else {
        const int row = selectedRow();
        entry.key = m_model->entry(row).key;
        m_model->setEntry(row, entry);
    }
    ShowBrowseState();
}

void TForm1::SpeedButton4Click() {
    const int row = selectedRow();
    if (row < 0 || m_model->rowCount() == 0)
        return;
    const DiaryEntry entry = m_model->entry(row);
    const QString question = QStringLiteral("你确定要删除这篇日记吗?\r\n") + QString(33, QLatin1Char('-')) +
                             QStringLiteral("\r\n\r\n日期:") + entry.date + QStringLiteral("\r\n\r\n");
    if (!Messages::ask(this, question))
        return;
    try {
        m_ADOQuery1->close();
        m_ADOQuery1->clearSql();
        m_ADOQuery1->addSql(SqlTexts::diaryEntryToDelete(entry.key));
        m_ADOQuery1->open();
        if (m_ADOQuery1->rowCount() > 0)
            assumeListRead(*m_ADOQuery1, entry);
        // A delete that removed the row is done, whatever a later read would say; only
        // one without effect is checked by reading the row again.
        if (!removeGuarded(entry)) {
            m_ADOQuery1->open();
            if (m_ADOQuery1->rowCount() > 0) {
                Messages::warning(this, QStringLiteral("删除失败,数据库可以被共享式打开!"),
                                  Messages::Icon::Error);
                return;
            }
        }
    } catch (const DbError&) {
        return;
    }

    // The right pane keeps what it shows unless a row takes the removed row's place.
    m_removingRow = true;
    m_model->removeEntry(row);
    const QModelIndex focused = m_ListView1->selectionModel()->currentIndex();
    if (focused.isValid())
        selectRow(focused.row());
    m_removingRow = false;
    if (focused.isValid())
        ListView1SelectItem();
}

// Moves the entry the query holds to the recycle bin unless someone changed it since
// the list read it; then the user chooses. False when nothing was deleted.
bool TForm1::removeGuarded(const DiaryEntry& entry) {
    try {
        return RecycleBin::removeCurrentRow(*m_ADOQuery1);
    } catch (const RowConflict& conflict) {
        switch (ConflictDialog::ask(this, conflict.details())) {
        case ConflictDialog::KeepMine:
            if (conflict.details().deleted)
                return true;
            m_ADOQuery1->open(); // the entry as it is now, deleted deliberately
            return m_ADOQuery1->rowCount() == 0 || RecycleBin::removeCurrentRow(*m_ADOQuery1);
        case ConflictDialog::TakeTheirs:
            showStored(entry.key);
            break;
        case ConflictDialog::Cancel:
            break;
        }
        throw DbError(conflict.message()); // nothing more to do here
    }
}

// Someone else changed or deleted the entry since the list read it.
void TForm1::resolveConflict(const RowConflict::Details& conflict, const DiaryEntry& typed) {
    switch (ConflictDialog::ask(this, conflict)) {
    case ConflictDialog::Cancel:
        return; // what was typed stays
    case ConflictDialog::KeepMine: {
        try {
            RowGuard::overwrite(SqlConnection::program(), conflict);
        } catch (const DbError& error) {
            Messages::error(this, QStringLiteral("数据库错误，这篇日记没有保存!\r\n\r\n") + error.message());
            return;
        }
        const int row = selectedRow();
        DiaryEntry stored = typed;
        stored.key = conflict.key;
        m_model->setEntry(row, stored);
        ShowBrowseState();
        return;
    }
    case ConflictDialog::TakeTheirs:
        showStored(conflict.key);
        return;
    }
}

// The entry as the ledger holds it now, in the list and the right pane; gone when it
// was deleted.
void TForm1::showStored(qint64 key) {
    int row = -1;
    for (int i = 0; i < m_model->rowCount(); ++i) {
        if (m_model->entry(i).key == key)
            row = i;
    }
    if (row < 0)
        return;
    ShowBrowseState();
    const RowValues stored = RowGuard::stored(SqlConnection::program(), QStringLiteral("日记"), key);
    if (stored.isEmpty()) {
        m_removingRow = true;
        m_model->removeEntry(row);
        m_removingRow = false;
        const QModelIndex focused = m_ListView1->selectionModel()->currentIndex();
        if (focused.isValid())
            ListView1SelectItem();
        return;
    }
    const DiaryEntry entry{stored.value(QStringLiteral("DATES")).toString(),
                           stored.value(QStringLiteral("STATUS")).toString(),
                           stored.value(QStringLiteral("COOL")).toString(), key,
                           stored.value(QStringLiteral("TEXTS")).toString()};
    m_model->setEntry(row, entry);
    selectRow(row);
    showEntryBoxes(entry);
}

void TForm1::SpeedButton7Click() {
    Frame::outerWindow(this)->close();
}

void TForm1::FormClose() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}
