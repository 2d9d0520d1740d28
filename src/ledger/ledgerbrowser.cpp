#include "ledgerbrowser.h"

#include "attachmentactions.h"
#include "attachmentmarkdelegate.h"
#include "attachmenttable.h"
#include "conflictdialog.h"
#include "datepicker.h"
#include "datetext.h"
#include "exportmenu.h"
#include "changenotice.h"
#include "frame.h"
#include "gridlinedelegate.h"
#include "ledgereditor.h"
#include "ledgerentry.h"
#include "ledgerlistactions.h"
#include "ledgerlistmodel.h"
#include "ledgerlistsnapshot.h"
#include "ledgerlook.h"
#include "messages.h"
#include "numbertext.h"
#include "pictures.h"
#include "printedlist.h"
#include "query.h"
#include "sqltexts.h"
#include "wheelstepping.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

QPointer<TForm3> Form3;

namespace {

constexpr int listRowHeight = 25;

QFrame* separator() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(29);
    return line;
}

void fillChoices(QComboBox* choice, const QStringList& names) {
    choice->clear();
    choice->addItems(names);
    choice->setCurrentIndex(-1);
}

} // namespace

TForm3::TForm3() : m_ADOQuery1(new Query(this)), m_listModel(new LedgerListModel(this)) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("账目明细管理"));
    setWindowIcon(Pictures::icon(10));
    setFont(LedgerLook::songFont(16));
    LedgerLook::paintGround(this);
    resize(1000, 640);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildButtonBar(layout);
    buildCriteria(layout);
    buildList(layout);
    buildTotalsBar(layout);

    Frame::addChild(this);
    FormCreate();
}

TForm3::~TForm3() = default;

void TForm3::buildButtonBar(QVBoxLayout* layout) {
    auto* bar = new QWidget;
    bar->setFixedHeight(49);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(2);

    struct Command {
        QToolButton*& button;
        const char* name;
        const char* caption;
        Pictures::Button picture;
        void (TForm3::*handler)();
        bool separatorAfter;
    };
    const Command commands[] = {
        {m_SpeedButton7, "SpeedButton7", "查询", Pictures::Button::Query, &TForm3::SpeedButton7Click, true},
        {m_SpeedButton8, "SpeedButton8", " 详情", Pictures::Button::Detail, &TForm3::SpeedButton8Click,
         false},
        {m_SpeedButton1, "SpeedButton1", "录入", Pictures::Button::Add, &TForm3::SpeedButton1Click, false},
        {m_SpeedButton2, "SpeedButton2", "修改 ", Pictures::Button::Edit, &TForm3::SpeedButton2Click, false},
        {m_SpeedButton3, "SpeedButton3", "删除", Pictures::Button::Delete, &TForm3::SpeedButton3Click, true},
        {m_SpeedButton5, "SpeedButton5", "刷新 ", Pictures::Button::Refresh, &TForm3::SpeedButton5Click,
         false},
        {m_SpeedButton4, "SpeedButton4", "打印 ", Pictures::Button::Print, &TForm3::SpeedButton4Click, true},
        {m_SpeedButton6, "SpeedButton6", "退出 ", Pictures::Button::Exit, &TForm3::SpeedButton6Click, false},
    };
    for (const Command& c : commands) {
        c.button =
            LedgerLook::flatButton(bar, c.name, QString::fromUtf8(c.caption), Pictures::button(c.picture));
        c.button->setFixedSize(81, 29);
        connect(c.button, &QToolButton::clicked, this, c.handler);
        row->addWidget(c.button);
        if (c.separatorAfter)
            row->addWidget(separator());
    }
    row->addStretch();
    layout->addWidget(bar);
}

void TForm3::buildCriteria(QVBoxLayout* layout) {
    auto* group = new QGroupBox;
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setFixedHeight(88);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(8);

    const auto place = [grid](int row, int pair, const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption);
        label->setBuddy(control);
        control->setAccessibleName(caption);
        grid->addWidget(label, row, pair * 2, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(control, row, pair * 2 + 1);
    };
    const auto named = [](QWidget* control, const char* name) {
        control->setObjectName(QString::fromLatin1(name));
        return control;
    };

    m_Date1 = new QDateEdit;
    m_Date2 = new QDateEdit;
    for (QDateEdit* picker : {m_Date1, m_Date2})
        setUpDatePicker(picker);
    m_Date1->setDate(QDate(2008, 8, 1));
    m_Edit2 = new QLineEdit;
    m_Edit1 = new QLineEdit;
    for (QLineEdit* box : {m_Edit1, m_Edit2})
        box->setMaxLength(50);
    m_ComboBox1 = new QComboBox;
    m_ComboBox1->addItems({QStringLiteral("  "), QStringLiteral("材料费"), QStringLiteral("人工费"),
                           QStringLiteral("包工包料")});
    m_ComboBox2 = new QComboBox;
    m_ComboBox2->addItems({QStringLiteral("   "), QStringLiteral("全部支付"), QStringLiteral("仅付订金")});
    m_ComboBox3 = new QComboBox;
    m_ComboBox4 = new QComboBox;
    for (QComboBox* choice : {m_ComboBox1, m_ComboBox2, m_ComboBox3, m_ComboBox4}) {
        choice->setCurrentIndex(-1);
        choice->setMinimumWidth(120);
    }

    place(0, 0, QStringLiteral("日期从"), named(m_Date1, "Date1"));
    place(0, 1, QStringLiteral("至"), named(m_Date2, "Date2"));
    place(0, 2, QStringLiteral("名    称"), named(m_Edit2, "Edit2"));
    place(0, 3, QStringLiteral("费用方式"), named(m_ComboBox1, "ComboBox1"));
    place(1, 0, QStringLiteral("正  文"), named(m_Edit1, "Edit1"));
    place(1, 1, QStringLiteral("类型"), named(m_ComboBox4, "ComboBox4"));
    place(1, 2, QStringLiteral("对应工程"), named(m_ComboBox3, "ComboBox3"));
    place(1, 3, QStringLiteral("付费情况"), named(m_ComboBox2, "ComboBox2"));
    for (int column = 1; column < 8; column += 2)
        grid->setColumnStretch(column, 1);

    const QList<QWidget*> order{m_Edit1,     m_Date1,     m_Date2,     m_Edit2,
                                m_ComboBox1, m_ComboBox2, m_ComboBox3, m_ComboBox4};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    layout->addWidget(group);
}

void TForm3::buildList(QVBoxLayout* layout) {
    m_ListView1 = new QTreeView;
    QTreeView* list = m_ListView1;
    list->setObjectName(QStringLiteral("ListView1"));
    list->setAccessibleName(QStringLiteral("账目明细"));
    list->setFont(LedgerLook::songFont(14));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setItemDelegate(new GridLineDelegate(listRowHeight, list));
    list->setModel(m_listModel);
    const AttachmentMarkDelegate* mark = AttachmentMarkDelegate::install(
        list, LedgerListModel::columnOf(LedgerRow::Name), LedgerListModel::columnOf(LedgerRow::Key));
    m_listModel->setDescriber(
        [mark = QPointer<const AttachmentMarkDelegate>(mark)](const QModelIndex& index) {
            return mark ? mark->description(index) : QString();
        });

    // The selection stays visible when the list loses the focus.
    QPalette palette = list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    list->setPalette(palette);

    QHeaderView* header = list->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    for (int column = 0; column < LedgerListModel::visibleColumnCount; ++column)
        list->setColumnWidth(column, LedgerListModel::columnLook(column).width);
    for (int column = LedgerListModel::visibleColumnCount; column < LedgerListModel::columnCountTotal;
         ++column)
        list->setColumnHidden(column, true);

    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm3::ListView1SelectItem);
    // One context menu: the exports, then the selected entry's attachments and what
    // later features add.
    QMenu* menu =
        ExportMenu::install(list, [this] { return ledgerListSnapshot(*m_listModel, m_query); })->menu();
    menu->addSeparator();
    const auto selectedKey = [this] {
        return hasSelectedRow() ? m_listModel->row(selectedRow()).subItem(LedgerRow::Key).toLongLong() : 0;
    };
    menu->addAction(AttachmentActions::forList(list, selectedKey));
    for (const LedgerListActions::Maker& make : LedgerListActions::all())
        menu->addAction(make(list, selectedKey));
    layout->addWidget(list, 1);
}

void TForm3::buildTotalsBar(QVBoxLayout* layout) {
    auto* bar = new QWidget;
    bar->setFixedHeight(49);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 0, 16, 0);
    m_Label8 = new QLabel(QStringLiteral(" "));
    m_Label8->setObjectName(QStringLiteral("Label8"));
    m_Label8->setFont(LedgerLook::songFont(16));
    QPalette maroon = m_Label8->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    m_Label8->setPalette(maroon);
    row->addWidget(m_Label8);
    row->addStretch();
    m_changeNotice = new ChangeNotice(QStringLiteral("明细"), QStringLiteral("条账目"), bar);
    m_changeNotice->setFont(LedgerLook::songFont(16));
    connect(m_changeNotice, &ChangeNotice::refreshRequested, this, &TForm3::refreshAfterChanges);
    row->addWidget(m_changeNotice);
    layout->addWidget(bar);
}

void TForm3::FormCreate() {
    m_Date2->setDate(QDate::currentDate());
    Frame::FitChildToFrame(this);
    AttachListWheelStepping(m_ListView1);
    SpeedButton5Click();
    m_query.clearQueryText();
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm3::FormClose() {
    if (Form3 == this)
        Form3 = nullptr;
}

// ----- the list ----------------------------------------------------------------

int TForm3::selectedRow() const {
    const QModelIndexList rows = m_ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool TForm3::hasSelectedRow() const {
    return m_listModel->rowCount() > 0 && selectedRow() >= 0;
}

void TForm3::selectRow(int row) {
    const QModelIndex index = m_listModel->index(row, 0);
    m_ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_ListView1->scrollTo(index);
}

void TForm3::ListView1SelectItem() {
    if (Form4 && selectedRow() >= 0) {
        handListToEditor();
        Form4->LoadEntry();
    }
}

LedgerCriteria TForm3::criteria() const {
    LedgerCriteria c;
    c.from = m_Date1->date();
    c.to = m_Date2->date();
    c.name = m_Edit2->text();
    c.mode = m_ComboBox1->currentText();
    c.projectIndex = m_ComboBox3->currentIndex();
    c.projectText = m_ComboBox3->currentText();
    c.categoryIndex = m_ComboBox4->currentIndex();
    c.categoryText = m_ComboBox4->currentText();
    c.paymentIndex = m_ComboBox2->currentIndex();
    c.paymentText = m_ComboBox2->currentText();
    c.text = m_Edit1->text();
    return c;
}

void TForm3::FillList() {
    try {
        m_query.fillList(*m_ADOQuery1, *m_listModel);
    } catch (...) {
        // The list stays empty; the totals below then say so.
    }
    m_changeNotice->reset();
    UpdateTotals();
}

// The same query again; the entry that was selected stays selected where it is
// still listed.
void TForm3::refreshAfterChanges() {
    const int row = selectedRow();
    const QString key = row >= 0 ? m_listModel->row(row).subItem(LedgerRow::Key) : QString();
    FillList();
    for (int i = 0; i < m_listModel->rowCount(); ++i) {
        if (!key.isEmpty() && m_listModel->row(i).subItem(LedgerRow::Key) == key) {
            selectRow(i);
            return;
        }
    }
    if (m_listModel->rowCount() > 0)
        selectRow(qBound(0, row, m_listModel->rowCount() - 1));
}

void TForm3::UpdateTotals() {
    m_Label8->setText(m_query.updateTotals(*m_listModel));
}

// ----- commands --------------------------------------------------------------

void TForm3::SpeedButton7Click() {
    m_ListView1->setFocus();
    m_query.build(criteria());
    FillList();
    if (m_listModel->rowCount() > 0)
        selectRow(0);
}

// An editor outlives the browser that opened it; a browser opened later hands its
// own list over whenever it uses the editor.
void TForm3::handListToEditor() {
    if (!Form4)
        return;
    const QPointer<TForm3> self(this);
    const auto isOpen = [self] { return self && Form3 == self; };
    Form4->setBrowserList({m_ListView1, isOpen, [self, isOpen] {
                               if (isOpen())
                                   self->UpdateTotals();
                           }});
}

TForm4* TForm3::openEditor() {
    openOrFocus(Form4, [] { return new TForm4; });
    handListToEditor();
    return Form4;
}

void TForm3::SpeedButton8Click() {
    if (!hasSelectedRow())
        return;
    if (TForm4* editor = openEditor())
        editor->LoadEntry();
}

void TForm3::SpeedButton1Click() {
    if (TForm4* editor = openEditor())
        editor->startNewEntry();
}

void TForm3::SpeedButton2Click() {
    if (!hasSelectedRow())
        return;
    if (TForm4* editor = openEditor())
        editor->startChangingEntry();
}

void TForm3::SpeedButton3Click() {
    const int row = selectedRow();
    if (row < 0 || m_listModel->rowCount() == 0 || Form4)
        return;
    const LedgerRow entry = m_listModel->row(row);
    const QString question =
        QStringLiteral("你确定要删除这条账目记录吗?\r\n---------------------------------\r\n\r\n") +
        QStringLiteral("名称:") + entry.subItem(LedgerRow::Name) + QStringLiteral("\r\n\r\n") +
        QStringLiteral("日期:") + entry.caption + QStringLiteral("\r\n\r\n");
    if (!Messages::ask(this, question))
        return;
    try {
        bool isKey = false;
        const qint64 key = entry.subItem(LedgerRow::Key).toLongLong(&isKey);
        if (!isKey)
            return;
        m_ADOQuery1->close();
        m_ADOQuery1->setSql(SqlTexts::ledgerEntryToDelete(key));
        m_ADOQuery1->open();
        if (m_ADOQuery1->rowCount() > 0)
            assumeListRead(entry);
        // A delete that removed the row is done, whatever a later read would say; one
        // without effect asks the file, not the query's copy, whether the entry is gone.
        bool stillThere = false;
        if (!removeEntryGuarded(row)) { // the entry with its attachments
            m_ADOQuery1->open();
            stillThere = m_ADOQuery1->rowCount() > 0;
        }
        m_ADOQuery1->close();
        if (stillThere) {
            Messages::warning(this, QStringLiteral("删除失败,数据库可以被共享式打开!"),
                              Messages::Icon::Error);
            return;
        }
        m_listModel->removeRow(row);
        const QModelIndex current = m_ListView1->currentIndex();
        if (current.isValid())
            selectRow(current.row());
        UpdateTotals();
    } catch (...) {
        // The database refused: the row stays.
    }
}

// The list read the entry with the query; the record set reads it again just before
// the delete. What the list shows of it (date, name, amount, paid in full or not) is
// what the delete compares with, so that a change made in between is caught.
void TForm3::assumeListRead(const LedgerRow& entry) {
    RowValues listed;
    if (m_ADOQuery1->text(QStringLiteral("DATES")) != entry.caption)
        listed.insert(QStringLiteral("DATES"), entry.caption);
    if (trimmedText(m_ADOQuery1->text(QStringLiteral("NAMES"))) != entry.subItem(LedgerRow::Name))
        listed.insert(QStringLiteral("NAMES"), entry.subItem(LedgerRow::Name));
    const QString amount = entry.subItem(LedgerRow::Amount);
    if (NumberText::format(m_ADOQuery1->number(QStringLiteral("ALLMONEY"))) !=
        NumberText::format(NumberText::parseOrZero(amount)))
        listed.insert(QStringLiteral("ALLMONEY"), NumberText::parseOrZero(amount));
    const bool paidInFull = entry.subItem(LedgerRow::PaidMarker) == QLatin1String("Y");
    if (m_ADOQuery1->flag(QStringLiteral("ISALL")) != paidInFull)
        listed.insert(QStringLiteral("ISALL"), paidInFull ? 1 : 0);
    m_ADOQuery1->assumeRead(listed);
}

// Deletes the entry the record set holds, with its attachments, unless someone
// changed it since the list read it; then the user chooses. True when it is gone.
bool TForm3::removeEntryGuarded(int row) {
    try {
        return AttachmentTable::removeEntry(*m_ADOQuery1);
    } catch (const RowConflict& conflict) {
        const RowConflict::Details& details = conflict.details();
        switch (ConflictDialog::ask(this, details)) {
        case ConflictDialog::KeepMine:
            if (details.deleted)
                return true;
            m_ADOQuery1->open(); // the entry as it is now, deleted deliberately
            return m_ADOQuery1->rowCount() == 0 || AttachmentTable::removeEntry(*m_ADOQuery1);
        case ConflictDialog::TakeTheirs:
            showStoredEntry(row, details);
            break;
        case ConflictDialog::Cancel:
            break;
        }
        throw;
    }
}

// The list row as the ledger holds the entry now; gone when it was deleted.
void TForm3::showStoredEntry(int row, const RowConflict::Details& conflict) {
    if (conflict.deleted) {
        m_listModel->removeRow(row);
    } else {
        auto nameOf = [](const LookupTable& list, qint64 key) {
            QString name;
            for (int i = 0; i < list.size(); ++i) {
                if (list.key(i) == key)
                    name = list.name(i);
            }
            return name;
        };
        m_ADOQuery1->open();
        if (m_ADOQuery1->rowCount() == 0)
            return;
        const LedgerEntry entry = LedgerEntry::stored(*m_ADOQuery1);
        LedgerRow shown = entry.listRow(nameOf(m_query.projects(), entry.projectKey),
                                        nameOf(m_query.categories(), entry.categoryKey));
        shown.subItems[LedgerRow::Key] = m_listModel->row(row).subItem(LedgerRow::Key);
        shown.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(entry.paidInFull);
        m_listModel->setRow(row, std::move(shown));
    }
    UpdateTotals();
}

void TForm3::SpeedButton5Click() {
    try {
        for (LookupTable* table : {&m_query.projects(), &m_query.categories()}) {
            table->clear();
            table->add(QStringLiteral(" "), 0);
        }
        m_query.projects().load(*m_ADOQuery1, SqlTexts::projects(), QStringLiteral("names"));
        fillChoices(m_ComboBox3, m_query.projects().names());
        m_query.categories().load(*m_ADOQuery1, SqlTexts::categories(), QStringLiteral("dnames"));
        fillChoices(m_ComboBox4, m_query.categories().names());
    } catch (...) {
        Messages::error(this, QStringLiteral("初始化失败!"));
        Frame::outerWindow(this)->close();
    }
}

// 打印: prints the list as it stands.
void TForm3::SpeedButton4Click() {
    // Any failure while setting up or showing the report shows nothing.
    try {
        PrintedList printedList;
        printedList.setUp(*m_listModel, m_query);
        printedList.showReport(this);
    } catch (...) {
    }
}

void TForm3::SpeedButton6Click() {
    Frame::outerWindow(this)->close();
}
