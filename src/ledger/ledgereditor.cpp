#include "ledgereditor.h"

#include "conflictdialog.h"

#include "attachmentactions.h"
#include "datetext.h"
#include "dberror.h"
#include "filedialogs.h"
#include "frame.h"
#include "ledgerentry.h"
#include "ledgerentryrules.h"
#include "ledgerlistmodel.h"
#include "ledgerlook.h"
#include "ledgersaves.h"
#include "messages.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "storedtext.h"
#include "textimport.h"
#include "windowlook.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

#include <utility>

QPointer<TForm4> Form4;

namespace {

// Typed number boxes take at most this many characters.
constexpr int numberBoxLength = 10;

// The first choice whose text equals the name, letter case aside; none when no
// choice does.
void selectChoiceByName(QComboBox* choice, const QString& name) {
    choice->setCurrentIndex(choice->findText(name, Qt::MatchFixedString));
}

double numberOf(const QLineEdit* box) {
    const std::optional<double> value = NumberText::parse(box->text());
    if (!value)
        throw DbError(QStringLiteral("不是数字: %1").arg(box->text()));
    return *value;
}

} // namespace

TForm4::TForm4()
    : QWidget(Frame::mainWindow(), Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                                       Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ADOQuery1(new Query(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("账目编辑"));
    setFixedSize(783, 590);
    setFont(LedgerLook::songFont(16));
    LedgerLook::paintGround(this);

    buildTopGroup();
    buildLocationGroup();
    buildPaymentGroup();
    buildRightColumn();
    // In the gap between the text and 导入正文; an entry not saved yet has none.
    AttachmentActions::forWindow(this, QRect(627, 316, 26, 26), [this]() -> qint64 {
        const int row = m_EditState == NewState ? -1 : selectedBrowserRow();
        return row < 0 ? 0 : browserModel()->row(row).subItem(LedgerRow::Key).toLongLong();
    });
    setUpTabOrder();

    FormCreate();
    show();
    WindowLook::alignLabelBaselines(this);
    Frame::centreOnMainWindow(this);
}

TForm4::~TForm4() = default;

void TForm4::FormCreate() {
    loadChoiceLists();
    ShowBrowseState();
}

void TForm4::loadChoiceLists() {
    try {
        m_projects.load(*m_ADOQuery1, SqlTexts::projects(), QStringLiteral("NAMES"));
        m_ComboBox1->addItems(m_projects.names());
        m_categories.load(*m_ADOQuery1, SqlTexts::categories(), QStringLiteral("DNAMES"));
        m_ComboBox4->addItems(m_categories.names());
        m_ComboBox2->addItems(
            {QStringLiteral("材料费"), QStringLiteral("人工费"), QStringLiteral("包工包料")});
    } catch (const DbError&) {
        // What was read stays; an empty expense-mode list stops every save at its check.
    }
    m_ComboBox1->setCurrentIndex(-1);
    m_ComboBox2->setCurrentIndex(-1);
    m_ComboBox4->setCurrentIndex(-1);
}

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm4::FormClose() {
    if (Form4 == this)
        Form4 = nullptr;
}

// ----- the browser's list ------------------------------------------------------

void TForm4::setBrowserList(LedgerEditorList list) {
    m_list = std::move(list);
}

QTreeView* TForm4::openBrowserList() const {
    if (!m_list.view || !m_list.isOpen || !m_list.isOpen())
        return nullptr;
    return m_list.view;
}

LedgerListModel* TForm4::browserModel() const {
    QTreeView* list = openBrowserList();
    return list ? qobject_cast<LedgerListModel*>(list->model()) : nullptr;
}

int TForm4::selectedBrowserRow() const {
    QTreeView* list = openBrowserList();
    if (!list || !list->selectionModel())
        return -1;
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TForm4::selectBrowserRow(int row) {
    QTreeView* list = openBrowserList();
    if (!list)
        return;
    const QModelIndex index = list->model()->index(row, 0);
    list->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
}

void TForm4::pressKeyInBrowserList(int key) {
    if (QTreeView* list = openBrowserList()) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
    }
}

// ----- loading ---------------------------------------------------------------

void TForm4::LoadEntry() {
    LedgerListModel* model = browserModel();
    if (!model)
        return; // the browser is gone: keep what is shown
    try {
        m_ADOQuery1->close();
        const int selected = selectedBrowserRow();
        if (selected < 0)
            return;
        const LedgerRow row = model->row(selected);
        bool isKey = false;
        const qint64 key = row.subItem(LedgerRow::Key).toLongLong(&isKey);
        if (!isKey)
            throw DbError(QStringLiteral("无效的账目编号"));
        m_ADOQuery1->setSql(SqlTexts::ledgerEntry(key));
        m_ADOQuery1->open();
        if (m_ADOQuery1->rowCount() == 0) {
            Messages::warning(this, QStringLiteral("数据错误,无法读取当前账目记录!"), Messages::Icon::Error);
            close();
            return;
        }
        m_Edit1->setText(trimmedText(row.subItem(LedgerRow::Name)));
        const QDate date = QDate::fromString(row.caption, QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            throw DbError(QStringLiteral("无效的日期"));
        m_DateTimePicker1->setDate(date);
        selectChoiceByName(m_ComboBox1, row.subItem(LedgerRow::Project));
        selectChoiceByName(m_ComboBox4, row.subItem(LedgerRow::Category));
        selectChoiceByName(m_ComboBox2, row.subItem(LedgerRow::Mode));
        m_Edit2->setText(row.subItem(LedgerRow::Price));
        m_Edit3->setText(row.subItem(LedgerRow::Quantity));
        m_ComboBox3->setEditText(row.subItem(LedgerRow::Unit));
        m_Edit6->setText(row.subItem(LedgerRow::Amount));
        for (int i = 0; i < SqlTexts::locationCount; ++i)
            m_CheckBoxes[i]->setChecked(
                m_ADOQuery1->flag(QString::fromLatin1(SqlTexts::locations()[i].flag)));
        if (row.subItem(LedgerRow::PaidMarker) == QLatin1String("Y")) {
            m_RadioButton1->setChecked(true);
            setDepositEnabled(false);
            m_Edit5->clear();
        } else {
            m_RadioButton2->setChecked(true);
            setDepositEnabled(true);
            m_Edit5->setText(row.subItem(LedgerRow::Deposit));
        }
        showText(m_ADOQuery1->text(QStringLiteral("TEXTS")));
    } catch (...) {
        Messages::error(this, QStringLiteral("数据读取错误!"));
    }
}

// The text as stored is kept beside what the box shows, so that a save writes back
// only what the user changed in it.
void TForm4::showText(const QString& stored) {
    m_RichEdit1->setPlainText(StoredText::toShown(stored));
    m_storedText = stored;
    m_shownText = m_RichEdit1->toPlainText();
}

void TForm4::startNewEntry() {
    try {
        m_ADOQuery1->close();
        m_ADOQuery1->setSql(SqlTexts::emptyLedger());
        m_ADOQuery1->open();
    } catch (const DbError&) {
        // The save opens the empty result itself when this failed.
    }
    SpeedButton11Click();
    m_DateTimePicker1->setDate(QDate::currentDate());
}

void TForm4::startChangingEntry() {
    LoadEntry();
    SpeedButton12Click();
}

// ----- states ----------------------------------------------------------------

void TForm4::ShowBrowseState() {
    m_EditState = BrowseState;
    m_Panel3->clear();
    for (QToolButton* button : {m_SpeedButton5, m_SpeedButton6, m_SpeedButton7, m_SpeedButton8})
        button->show();
    m_SpeedButton1->setEnabled(false);
    m_SpeedButton13->setEnabled(false);
    m_SpeedButton2->setEnabled(false);
    m_SpeedButton11->setEnabled(true);
    m_SpeedButton12->setEnabled(true);
    for (QGroupBox* group : {m_GroupBox1, m_GroupBox3, m_GroupBox2})
        group->setEnabled(false);
    m_RichEdit1->setReadOnly(true);
    paintBoxes(LedgerLook::skyBlue());
    keepReadableWhileDisabled(true);
}

void TForm4::ShowEditState() {
    for (QToolButton* button : {m_SpeedButton5, m_SpeedButton6, m_SpeedButton7, m_SpeedButton8})
        button->hide();
    m_SpeedButton1->setEnabled(true);
    m_SpeedButton13->setEnabled(true);
    m_SpeedButton2->setEnabled(true);
    m_SpeedButton11->setEnabled(false);
    m_SpeedButton12->setEnabled(false);
    for (QGroupBox* group : {m_GroupBox1, m_GroupBox3, m_GroupBox2})
        group->setEnabled(true);
    m_RichEdit1->setReadOnly(false);
    paintBoxes(QApplication::palette().color(QPalette::Base));
    keepReadableWhileDisabled(false);
}

// In browse state the groups are disabled only so that nothing can be typed: the
// entry they show stays as readable as when editing. The deposit box and its
// caption, disabled for an entry paid in full, keep the usual disabled look.
void TForm4::keepReadableWhileDisabled(bool readable) {
    m_readableWhileDisabled = readable;
    const auto look = [](QWidget* widget, bool asEnabled) {
        const QPalette standard = QApplication::palette();
        QPalette palette = widget->palette();
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(QPalette::Disabled, role,
                             standard.color(asEnabled ? QPalette::Active : QPalette::Disabled, role));
        widget->setPalette(palette);
    };
    for (QGroupBox* group : {m_GroupBox1, m_GroupBox3, m_GroupBox2})
        look(group, readable);
    const bool depositOn = m_Edit5->isEnabledTo(m_GroupBox2);
    look(m_Edit5, readable && depositOn);
    look(m_Label9, readable && depositOn);
}

// Every box of the window by its kind: text boxes, the rich-text box, the drop-down
// boxes and the date picker. A drop-down box that takes no typing is painted as a
// button, so it gets the colour on both.
void TForm4::paintBoxes(const QColor& colour) {
    const auto paint = [&colour](QWidget* box, bool asButton) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, colour);
        if (asButton)
            palette.setColor(QPalette::Button, colour);
        box->setPalette(palette);
    };
    for (QLineEdit* box : findChildren<QLineEdit*>())
        paint(box, false);
    for (QTextEdit* box : findChildren<QTextEdit*>())
        paint(box, false);
    for (QComboBox* box : findChildren<QComboBox*>())
        paint(box, true);
    for (QDateEdit* box : findChildren<QDateEdit*>())
        paint(box, false);
}

void TForm4::setDepositEnabled(bool enabled) {
    m_Edit5->setEnabled(enabled);
    m_Label9->setEnabled(enabled);
    keepReadableWhileDisabled(m_readableWhileDisabled);
}

void TForm4::setAllLocations(bool checked) {
    for (QCheckBox* box : m_CheckBoxes)
        box->setChecked(checked);
}

// ----- commands --------------------------------------------------------------

void TForm4::SpeedButton11Click() {
    m_EditState = NewState;
    m_Panel3->setText(QStringLiteral("状态:新增账目"));
    for (QLineEdit* box : {m_Edit1, m_Edit2, m_Edit3, m_Edit5, m_Edit6})
        box->clear();
    showText(QString());
    for (QComboBox* choice : {m_ComboBox1, m_ComboBox2, m_ComboBox4})
        choice->setCurrentIndex(-1);
    m_ComboBox3->setCurrentIndex(-1);
    m_ComboBox3->clearEditText();
    setAllLocations(false);
    ShowEditState();
}

void TForm4::SpeedButton12Click() {
    m_EditState = ModifyState;
    m_Panel3->setText(QStringLiteral("状态:修改账目"));
    ShowEditState();
}

void TForm4::SpeedButton13Click() {
    if (selectedBrowserRow() < 0) {
        close();
        return;
    }
    LoadEntry();
    ShowBrowseState();
}

void TForm4::SpeedButton3Click() {
    m_ADOQuery1->close();
    close();
}

void TForm4::SpeedButton4Click() {
    setAllLocations(true);
}

void TForm4::SpeedButton9Click() {
    setAllLocations(false);
}

void TForm4::RadioButton1Click() {
    setDepositEnabled(false);
}

void TForm4::RadioButton2Click() {
    setDepositEnabled(true);
}

void TForm4::SpeedButton10Click() {
    const LedgerEntryRules::Computed computed =
        LedgerEntryRules::computeTotal(m_Edit2->text(), m_Edit3->text());
    if (!computed.message.isEmpty())
        Messages::error(this, computed.message);
    else if (computed.total)
        m_Edit6->setText(*computed.total);
}

void TForm4::SpeedButton1Click() {
    const QString path = FileDialogs::openFileName(this, QStringLiteral("导入正文"),
                                                   QStringLiteral("文本文件|*.txt|所有文件|*.*"));
    if (path.isEmpty())
        return;
    const QString kept = m_RichEdit1->toPlainText();
    const TextImport file = TextImport::read(path);
    switch (file.status()) {
    case TextImport::Status::CannotOpen:
        return;
    case TextImport::Status::TooLarge:
        Messages::error(this, QStringLiteral("文件太大(超过10MB),不能导入正文!"));
        return;
    case TextImport::Status::NotText:
        Messages::error(this, QStringLiteral("这不是文本文件,不能导入正文!"));
        return;
    case TextImport::Status::Read:
        m_RichEdit1->setPlainText(kept + QLatin1Char('\n') +
                                  StoredText::toShown(file.text())); // stored as CR LF
        return;
    }
}

// ----- saving ----------------------------------------------------------------

void TForm4::SpeedButton2Click() {
    LedgerEntryRules::Fields fields;
    fields.name = m_Edit1->text();
    fields.projectChosen = m_ComboBox1->currentIndex() >= 0;
    fields.modeChosen = m_ComboBox2->currentIndex() >= 0;
    fields.totalText = m_Edit6->text();
    fields.depositOnly = m_RadioButton2->isChecked();
    fields.depositText = m_Edit5->text();
    fields.categoryChosen = m_ComboBox4->currentIndex() >= 0;
    fields.priceText = m_Edit2->text();
    fields.quantityText = m_Edit3->text();
    fields.anyLocation = std::any_of(std::begin(m_CheckBoxes), std::end(m_CheckBoxes),
                                     [](const QCheckBox* box) { return box->isChecked(); });
    const QString failed = LedgerEntryRules::firstFailedCheck(fields);
    if (!failed.isEmpty()) {
        Messages::error(this, failed);
        return;
    }

    m_RichEdit1->setFocus();
    try {
        const LedgerEntry entry = enteredEntry();
        const bool asNew = m_EditState == NewState;
        if (asNew && !m_ADOQuery1->isOpen()) {
            m_ADOQuery1->setSql(SqlTexts::emptyLedger());
            m_ADOQuery1->open();
        }
        const StoredEntryChange change = LedgerSaves::before(*m_ADOQuery1, asNew);
        try {
            relyOnChoices(entry);
            entry.store(*m_ADOQuery1, asNew);
        } catch (const RowConflict& conflict) {
            if (!resolveConflict(conflict.details()))
                return;
        }
        LedgerSaves::instance().announce(this, change, entry.projectKey, entry.categoryKey, entry.total);
        writeBackToBrowser(entry, asNew);
        ShowBrowseState();
    } catch (...) {
        Messages::information(this, QStringLiteral("错误,修改没能完成!"), Messages::Icon::Error);
    }
}

namespace {
QString nameOf(const LookupTable& list, qint64 key) {
    QString name;
    for (int i = 0; i < list.size(); ++i) {
        if (list.key(i) == key)
            name = list.name(i);
    }
    return name;
}
} // namespace

// The entry names its project and category by key: the names the user chose must
// still be theirs when it is stored.
void TForm4::relyOnChoices(const LedgerEntry& entry) {
    if (std::exchange(m_choicesAccepted, false))
        return;
    const struct {
        const LookupTable& list;
        QString table, column;
        qint64 key;
    } choices[] = {{m_projects, QStringLiteral("项目"), QStringLiteral("NAMES"), entry.projectKey},
                   {m_categories, QStringLiteral("归类"), QStringLiteral("DNAMES"), entry.categoryKey}};
    for (const auto& choice : choices) {
        if (const std::optional<QString> name = choice.list.storedName(choice.key))
            m_ADOQuery1->relyOn({choice.table, choice.key, {{choice.column, *name}}});
    }
}

// Someone else changed or deleted the entry, or a project or category it names,
// since this window read it; the user chooses. True when the entry was stored.
bool TForm4::resolveConflict(const RowConflict::Details& conflict) {
    switch (ConflictDialog::ask(this, conflict)) {
    case ConflictDialog::Cancel:
        return false; // the input stays, to be saved again or undone
    case ConflictDialog::KeepMine:
        if (conflict.relied) {
            m_choicesAccepted = true;
            SpeedButton2Click(); // stores it without asking about the lists again
            return false;
        }
        m_ADOQuery1->storeOverConflict(conflict);
        return true;
    case ConflictDialog::TakeTheirs:
        break;
    }
    if (conflict.relied) { // the lists are read again; the typed entry stays
        const QString project = m_ComboBox1->currentText(), category = m_ComboBox4->currentText(),
                      mode = m_ComboBox2->currentText();
        for (QComboBox* box : {m_ComboBox1, m_ComboBox2, m_ComboBox4})
            box->clear();
        m_projects.clear();
        m_categories.clear();
        loadChoiceLists();
        m_ComboBox1->setCurrentIndex(m_ComboBox1->findText(project));
        m_ComboBox4->setCurrentIndex(m_ComboBox4->findText(category));
        m_ComboBox2->setCurrentIndex(m_ComboBox2->findText(mode));
        return false;
    }
    showStoredEntry();
    return false;
}

// The entry as the ledger holds it now, in the list and here; gone from both when it
// was deleted.
void TForm4::showStoredEntry() {
    LedgerListModel* model = browserModel();
    const int selected = selectedBrowserRow();
    if (!m_ADOQuery1->reloadCurrentRow()) {
        if (model && selected >= 0) {
            model->removeRows(selected, 1);
            if (m_list.updateTotals)
                m_list.updateTotals();
        }
        ShowBrowseState();
        close();
        return;
    }
    if (model && selected >= 0) {
        const LedgerEntry entry = LedgerEntry::stored(*m_ADOQuery1);
        LedgerRow row =
            entry.listRow(nameOf(m_projects, entry.projectKey), nameOf(m_categories, entry.categoryKey));
        row.subItems[LedgerRow::Key] = model->row(selected).subItem(LedgerRow::Key);
        row.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(entry.paidInFull);
        model->setRow(selected, std::move(row));
        if (m_list.updateTotals)
            m_list.updateTotals();
    }
    LoadEntry();
    ShowBrowseState();
}

LedgerEntry TForm4::enteredEntry() const {
    LedgerEntry entry;
    entry.price = numberOf(m_Edit2);
    entry.quantity = numberOf(m_Edit3);
    entry.total = numberOf(m_Edit6);
    entry.deposit = m_Edit5->text().isEmpty() ? 0.0 : numberOf(m_Edit5);
    entry.date = storedDateText(m_DateTimePicker1->date());
    entry.name = trimmedText(m_Edit1->text());
    entry.projectKey = m_projects.keyOf(m_ComboBox1->currentText());
    entry.categoryKey = m_categories.keyOf(m_ComboBox4->currentText());
    entry.mode = m_ComboBox2->currentText();
    entry.unit = m_ComboBox3->currentText();
    entry.paidInFull = m_RadioButton1->isChecked();
    entry.text = StoredText::afterEdit(m_storedText, m_shownText, m_RichEdit1->toPlainText());
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        entry.locations[i] = m_CheckBoxes[i]->isChecked();
    return entry;
}

// A changed entry rewrites the selected row; a new entry becomes the last row,
// with the key the database gave it, and is selected, which loads it here again.
// Either way only that one row changes: the list is not read again.
void TForm4::writeBackToBrowser(const LedgerEntry& entry, bool asNew) {
    LedgerListModel* model = browserModel();
    if (!model)
        return;
    LedgerRow row = entry.listRow(m_ComboBox1->currentText(), m_ComboBox4->currentText());
    if (!asNew) {
        const int selected = selectedBrowserRow();
        if (selected < 0)
            throw DbError(QStringLiteral("没有选中的账目"));
        row.subItems[LedgerRow::Key] = model->row(selected).subItem(LedgerRow::Key);
        model->setRow(selected, std::move(row));
        if (m_list.updateTotals)
            m_list.updateTotals();
        return;
    }
    m_ADOQuery1->close();
    m_ADOQuery1->setSql(SqlTexts::newestLedgerKey());
    m_ADOQuery1->open();
    row.subItems[LedgerRow::Key] =
        trimmedText(LedgerRow::cellText(m_ADOQuery1->value(QStringLiteral("mid"))));
    row.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(m_ADOQuery1->flag(QStringLiteral("isall")));
    m_ADOQuery1->close();
    selectBrowserRow(model->appendRow(std::move(row)));
    if (m_list.updateTotals)
        m_list.updateTotals();
}

// ----- key filters and navigation ------------------------------------------------

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::InputMethod &&
        (watched == m_Edit2 || watched == m_Edit3 || watched == m_Edit5 || watched == m_Edit6)) {
        typeCommittedText(static_cast<QLineEdit*>(watched), static_cast<QInputMethodEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_Edit2 || watched == m_Edit6)
            return !Edit2KeyPress(static_cast<QLineEdit*>(watched), key);
        if (watched == m_Edit3 || watched == m_Edit5)
            return !Edit3KeyPress(static_cast<QLineEdit*>(watched), key);
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm4::Edit2KeyPress(QLineEdit* box, QKeyEvent* key) {
    return passesNumberFilter(box, key, true);
}

bool TForm4::Edit3KeyPress(QLineEdit* box, QKeyEvent* key) {
    return passesNumberFilter(box, key, false);
}

// Keys that type no character (arrows, Delete, Tab) pass; a typed character must
// pass the number rule and, except in the total box, fit in the box's length.
bool TForm4::passesNumberFilter(QLineEdit* box, QKeyEvent* key, bool signedNumber) {
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Delete ||
        key->text().isEmpty())
        return true;
    const QChar typed = key->key() == Qt::Key_Backspace ? QLatin1Char('\b') : key->text().front();
    if (!LedgerEntryRules::acceptsCharacter(typed, box->text(), box->cursorPosition(), signedNumber))
        return false;
    if (typed != QLatin1Char('\b') && box != m_Edit6 &&
        box->text().size() - box->selectedText().size() >= numberBoxLength)
        return false;
    return true;
}

// An input method (a Chinese keyboard) commits its text in one event, not as key
// presses: each committed character goes through the same rule and limit as a typed
// one, and text still being composed is never shown in a number box.
void TForm4::typeCommittedText(QLineEdit* box, const QInputMethodEvent* input) {
    const bool signedNumber = box == m_Edit2 || box == m_Edit6;
    for (const QChar typed : input->commitString()) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(typed));
        if (passesNumberFilter(box, &key, signedNumber))
            box->insert(QString(typed));
    }
}

void TForm4::SpeedButton5Click() {
    if (LedgerListModel* model = browserModel(); model && model->rowCount() > 0)
        selectBrowserRow(0);
}

void TForm4::SpeedButton6Click() {
    const int selected = selectedBrowserRow();
    if (selected > 0)
        pressKeyInBrowserList(Qt::Key_Up);
}

void TForm4::SpeedButton7Click() {
    if (selectedBrowserRow() >= 0)
        pressKeyInBrowserList(Qt::Key_Down);
}

void TForm4::SpeedButton8Click() {
    if (LedgerListModel* model = browserModel(); model && model->rowCount() > 0)
        selectBrowserRow(model->rowCount() - 1);
}
