#include "importwindow.h"

#include "backgroundwork.h"
#include "batchesdialog.h"
#include "billerror.h"
#include "columnmemory.h"
#include "database.h"
#include "dberror.h"
#include "filedialogs.h"
#include "frame.h"
#include "importpreviewmodel.h"
#include "importrun.h"
#include "importstore.h"
#include "ledgerplace.h"
#include "ledgersaves.h"
#include "messages.h"
#include "rulesdialog.h"
#include "sqlconnection.h"
#include "sqltexts.h"
#include "windowlook.h"

#include <QCheckBox>
#include <algorithm>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

QPointer<ImportWindow> ImportForm;

namespace {

// The fields a table kept by hand is mapped by, in the mapping strip's order.
const BillField mappedFields[6] = {BillField::Date,         BillField::Name,      BillField::Amount,
                                   BillField::Counterparty, BillField::Reference, BillField::Note};
const char* const mappedCaptions[6] = {"日期", "名称", "金额", "交易对方", "流水号", "备注"};

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QComboBox* labelled(QWidget* parent, QHBoxLayout* row, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    label->setBuddy(box);
    box->setAccessibleName(caption);
    row->addWidget(label);
    row->addWidget(box);
    return box;
}

// Runs work on a connection of its own to the open ledger, on another thread, so
// that a large bill neither freezes the window nor holds the program's connection.
template <class Work> void onLedger(QWidget* parent, const QString& text, LedgerConnection::Access access, Work work) {
    if (access == LedgerConnection::Access::Write && Database::instance().isReadOnly())
        throw DbError(QStringLiteral("打开的是只读的备份，不能改动。"));
    const LedgerPlace place = LedgerPlace::ofProgram();
    quint64 commits = 0;
    try {
        BackgroundWork::run(parent, text, [&](const BackgroundWork::Report&) {
            LedgerConnection ledger(place, access);
            const SqlConnection db = ledger.connection();
            if (access == LedgerConnection::Access::Write)
                db.countCommits(&commits);
            work(db);
        });
    } catch (...) {
        Database::instance().countStores(commits);
        throw;
    }
    Database::instance().countStores(commits);
}

} // namespace

ImportWindow::ImportWindow(QWidget* parent) : QWidget(parent), m_model(new ImportPreviewModel(this)) {
    setObjectName(QStringLiteral("ImportForm"));
    setWindowTitle(QStringLiteral("导入账单"));
    setWindowIcon(Pictures::icon(10));
    WindowLook::apply(this);
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    QPushButton* choose = button(this, "ChooseFiles", QStringLiteral("选择账单文件…"));
    connect(choose, &QPushButton::clicked, this, &ImportWindow::chooseFiles);
    top->addWidget(choose);
    m_Files = new QLabel(QStringLiteral("可以选择多个文件，也可以把文件拖到这个窗口里。"), this);
    m_Files->setObjectName(QStringLiteral("Files"));
    top->addWidget(m_Files, 1);
    m_DateRange = new QCheckBox(QStringLiteral("只导入这段日期"), this);
    m_DateRange->setObjectName(QStringLiteral("DateRange"));
    top->addWidget(m_DateRange);
    m_From = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    m_To = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* edit : {m_From, m_To}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        top->addWidget(edit);
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            if (m_DateRange->isChecked())
                propose();
        });
    }
    m_From->setObjectName(QStringLiteral("From"));
    m_From->setAccessibleName(QStringLiteral("从"));
    m_To->setObjectName(QStringLiteral("To"));
    m_To->setAccessibleName(QStringLiteral("到"));
    connect(m_DateRange, &QCheckBox::toggled, this, &ImportWindow::propose);
    QPushButton* rules = button(this, "Rules", QStringLiteral("规则…"));
    connect(rules, &QPushButton::clicked, this, &ImportWindow::editRules);
    top->addWidget(rules);
    layout->addLayout(top);

    layout->addWidget(buildMappingStrip());

    m_Preview = new QTableView(this);
    m_Preview->setObjectName(QStringLiteral("Preview"));
    m_Preview->setAccessibleName(QStringLiteral("预览"));
    m_Preview->setModel(m_model);
    m_Preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Preview->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Preview->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    m_Preview->setWordWrap(false);
    m_Preview->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_Preview, 1);

    layout->addWidget(buildEditStrip());

    auto* bottom = new QHBoxLayout;
    m_Summary = new QLabel(this);
    m_Summary->setObjectName(QStringLiteral("Summary"));
    bottom->addWidget(m_Summary, 1);
    m_Import = button(this, "Import", QStringLiteral("导入"));
    m_Undo = button(this, "Undo", QStringLiteral("撤销这次导入"));
    m_Import->setEnabled(false);
    m_Undo->setEnabled(false);
    connect(m_Import, &QPushButton::clicked, this, &ImportWindow::importTicked);
    connect(m_Undo, &QPushButton::clicked, this, &ImportWindow::undoImport);
    bottom->addWidget(m_Import);
    bottom->addWidget(m_Undo);
    QPushButton* batches = button(this, "Batches", QStringLiteral("导入记录…"));
    connect(batches, &QPushButton::clicked, this, &ImportWindow::showBatches);
    bottom->addWidget(batches);
    layout->addLayout(bottom);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ImportWindow::showSummary);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ImportWindow::showSummary);

    Frame::addChild(this);
}

ImportWindow::~ImportWindow() = default;

QWidget* ImportWindow::buildMappingStrip() {
    m_MappingStrip = new QWidget(this);
    m_MappingStrip->setObjectName(QStringLiteral("MappingStrip"));
    auto* row = new QHBoxLayout(m_MappingStrip);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("表格的栏目："), m_MappingStrip));
    for (int i = 0; i < 6; ++i)
        m_mappingBoxes[i] = labelled(m_MappingStrip, row, QStringLiteral("Map%1").arg(i).toLatin1().constData(),
                                     QString::fromUtf8(mappedCaptions[i]));
    QPushButton* apply = button(m_MappingStrip, "ApplyMapping", QStringLiteral("按这些栏目读取"));
    connect(apply, &QPushButton::clicked, this, &ImportWindow::applyMapping);
    row->addWidget(apply);
    row->addStretch();
    m_MappingStrip->hide();
    return m_MappingStrip;
}

QWidget* ImportWindow::buildEditStrip() {
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    m_SetMode = labelled(strip, row, "SetMode", QStringLiteral("费用方式"));
    m_SetProject = labelled(strip, row, "SetProject", QStringLiteral("对应工程"));
    m_SetCategory = labelled(strip, row, "SetCategory", QStringLiteral("类型"));
    auto* roomsLabel = new QLabel(QStringLiteral("所用位置"), strip);
    m_SetRooms = new QLineEdit(strip);
    m_SetRooms->setObjectName(QStringLiteral("SetRooms"));
    m_SetRooms->setAccessibleName(QStringLiteral("所用位置"));
    m_SetRooms->setPlaceholderText(QStringLiteral("如 大厅、厨房"));
    roomsLabel->setBuddy(m_SetRooms);
    row->addWidget(roomsLabel);
    row->addWidget(m_SetRooms);
    for (const char* mode : {"", "材料费", "人工费", "包工包料"})
        m_SetMode->addItem(QString::fromUtf8(mode));
    QPushButton* apply = button(strip, "ApplyToSelected", QStringLiteral("用于选中的行"));
    connect(apply, &QPushButton::clicked, this, &ImportWindow::applyToSelected);
    row->addWidget(apply);
    QPushButton* saveRule = button(strip, "SaveRule", QStringLiteral("由选中行存为规则…"));
    connect(saveRule, &QPushButton::clicked, this, &ImportWindow::saveRuleFromRow);
    row->addWidget(saveRule);
    row->addStretch();
    return strip;
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    ImportForm = nullptr;
    event->accept();
}

void ImportWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ImportWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        loadFiles(paths);
    }
}

void ImportWindow::chooseFiles() {
    const QStringList paths = FileDialogs::openFileNames(
        this, QStringLiteral("选择账单文件"),
        QStringLiteral("账单(CSV或Excel)|*.csv;*.xlsx;*.zip|所有文件|*.*"));
    if (!paths.isEmpty())
        loadFiles(paths);
}

void ImportWindow::loadFiles(const QStringList& paths) {
    QVector<BillFile> bills;
    QStringList problems;
    BackgroundWork::run(this, QStringLiteral("正在读取账单…"), [&](const BackgroundWork::Report& report) {
        for (int i = 0; i < paths.size(); ++i) {
            report(QStringLiteral("正在读取 %1").arg(QFileInfo(paths[i]).fileName()), i, paths.size());
            try {
                bills << BillReader::read(paths[i]);
            } catch (const BillError& error) {
                problems << QStringLiteral("%1：%2").arg(QFileInfo(paths[i]).fileName(), error.message());
            }
        }
    });
    if (!problems.isEmpty())
        Messages::warning(this, problems.join(QLatin1Char('\n')));
    m_bills = bills;
    QStringList names;
    for (const BillFile& bill : m_bills)
        names << QStringLiteral("%1(%2，%3行)").arg(QFileInfo(bill.path).fileName(), bill.source).arg(bill.lines.size());
    m_Files->setText(names.isEmpty() ? QStringLiteral("没有读到账单。") : names.join(QStringLiteral("；")));

    // A table that is no payment app's bill is mapped by hand; the strip shows the first.
    const BillFile* table = nullptr;
    for (const BillFile& bill : m_bills) {
        if (!bill.knownFormat && !table)
            table = &bill;
    }
    m_MappingStrip->setVisible(table != nullptr);
    if (table) {
        for (int i = 0; i < 6; ++i) {
            QComboBox* box = m_mappingBoxes[i];
            box->clear();
            box->addItem(QStringLiteral("(无)"), -1);
            for (int c = 0; c < table->header.size(); ++c)
                box->addItem(table->header[c], c);
            box->setCurrentIndex(box->findData(table->mapping[mappedFields[i]]));
        }
    }
    propose();
}

void ImportWindow::applyMapping() {
    for (BillFile& bill : m_bills) {
        if (bill.knownFormat)
            continue;
        ColumnMapping mapping = bill.mapping;
        for (int i = 0; i < 6; ++i)
            mapping[mappedFields[i]] = m_mappingBoxes[i]->currentData().toInt();
        bill.remap(mapping);
        ColumnMemory::remember(bill.header, mapping);
        break;
    }
    propose();
}

void ImportWindow::propose() {
    try {
        const auto [from, to] = ImportProposal::dateSpan(m_bills);
        QDate first, last;
        if (m_DateRange->isChecked()) {
            first = m_From->date();
            last = m_To->date();
        }
        const QVector<ImportRule> rules = ImportRules::load();
        LedgerFacts facts;
        QVector<ProposedRow> rows;
        onLedger(this, QStringLiteral("正在和账簿里的账目比较…"), LedgerConnection::Access::Read,
                 [&](const SqlConnection& db) {
                     facts = LedgerFacts::read(db, from, to);
                     rows = ImportProposal::build(m_bills, facts, rules, first, last);
                 });
        m_model->setRows(std::move(rows), std::move(facts));
        for (auto [box, names] : {std::pair{m_SetProject, &m_model->facts().projects.names},
                                  std::pair{m_SetCategory, &m_model->facts().categories.names}}) {
            box->clear();
            box->addItem(QString());
            box->addItems(*names);
        }
        m_Preview->resizeColumnsToContents();
    } catch (const DbError& error) {
        Messages::error(this, QStringLiteral("读取账簿失败：%1").arg(error.message()));
    }
}

QList<int> ImportWindow::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_Preview->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ImportWindow::applyToSelected() {
    const QList<int> rows = selectedRows();
    if (!m_SetMode->currentText().isEmpty())
        m_model->setField(rows, ImportPreviewModel::Mode, m_SetMode->currentText());
    if (!m_SetProject->currentText().isEmpty())
        m_model->setField(rows, ImportPreviewModel::Project, m_SetProject->currentText());
    if (!m_SetCategory->currentText().isEmpty())
        m_model->setField(rows, ImportPreviewModel::Category, m_SetCategory->currentText());
    if (!m_SetRooms->text().trimmed().isEmpty())
        m_model->setField(rows, ImportPreviewModel::Rooms, m_SetRooms->text());
}

void ImportWindow::saveRuleFromRow() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const ProposedRow& row = m_model->rows()[rows.first()];
    QVector<ImportRule> rules = ImportRules::load();
    rules << ImportRule{row.line.counterparty, row.mode, row.project, row.category, row.roomsText()};
    if (RulesDialog::edit(this, rules))
        propose();
}

void ImportWindow::editRules() {
    QVector<ImportRule> rules = ImportRules::load();
    if (RulesDialog::edit(this, rules))
        propose();
}

void ImportWindow::showSummary() {
    int ticked = 0, skipped = 0, duplicates = 0, failing = 0;
    for (const ProposedRow& row : m_model->rows()) {
        if (row.kind == ProposedRow::Skipped)
            ++skipped;
        else if (row.kind != ProposedRow::Proposed)
            ++duplicates;
        if (row.ticked) {
            ++ticked;
            if (!row.check(m_model->facts()).isEmpty())
                ++failing;
        }
    }
    m_Summary->setText(QStringLiteral("共 %1 行：勾选 %2 行(其中 %3 行还需填写)，跳过 %4 行，重复或可能重复 %5 行")
                           .arg(m_model->rowCount())
                           .arg(ticked)
                           .arg(failing)
                           .arg(skipped)
                           .arg(duplicates));
    m_Import->setEnabled(ticked > 0);
}

void ImportWindow::importTicked() {
    QStringList files;
    for (const BillFile& bill : m_bills)
        files << QFileInfo(bill.path).fileName();
    ImportOutcome outcome;
    try {
        onLedger(this, QStringLiteral("正在导入…"), LedgerConnection::Access::Write, [&](const SqlConnection& db) {
            outcome = ImportRun::run(db, m_model->rows(), m_model->facts(), files);
        });
    } catch (const DbError& error) {
        Messages::error(this, QStringLiteral("导入没能完成，什么也没有存入：%1").arg(error.message()));
        return;
    }
    if (!outcome.failing.isEmpty()) {
        const ProposedRow& first = m_model->rows()[outcome.failing.first()];
        const QString message = first.check(m_model->facts());
        if (outcome.batch == 0) {
            Messages::error(this, QStringLiteral("第%1行：%2").arg(first.line.row).arg(message));
            m_Preview->selectRow(outcome.failing.first());
            return;
        }
        Messages::warning(this, QStringLiteral("有 %1 行没有导入，第一行(第%2行)：%3")
                                    .arg(outcome.failing.size())
                                    .arg(first.line.row)
                                    .arg(message));
    }
    if (outcome.batch == 0)
        return;
    QVector<StoredEntryChange> changes;
    for (int r : outcome.stored) {
        const ImportEntry entry = m_model->rows()[r].entry(m_model->facts());
        StoredEntryChange change;
        change.project = entry.project;
        change.category = entry.category;
        change.total = entry.total.toDouble();
        changes << change;
    }
    m_model->markImported(outcome.stored);
    m_lastBatch = outcome.batch;
    m_Undo->setEnabled(true);
    Messages::information(this, QStringLiteral("已导入 %1 笔账目。").arg(outcome.stored.size()));
    LedgerSaves::instance().announceImport(this, changes);
}

void ImportWindow::undoImport() {
    if (m_lastBatch && Messages::ask(this, QStringLiteral("撤销这次导入，删除它存入的全部账目吗?")))
        undoBatch(m_lastBatch);
}

void ImportWindow::showBatches() {
    QVector<ImportBatch> batches;
    try {
        onLedger(this, QStringLiteral("正在读取导入记录…"), LedgerConnection::Access::Read,
                 [&](const SqlConnection& db) { batches = ImportStore::batches(db); });
    } catch (const DbError& error) {
        Messages::error(this, error.message());
        return;
    }
    if (batches.isEmpty()) {
        Messages::information(this, QStringLiteral("这本账簿还没有导入过账单。"));
        return;
    }
    BatchesDialog dialog(this, batches);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosenBatch())
        return;
    const auto chosen = std::find_if(batches.cbegin(), batches.cend(),
                                     [&](const ImportBatch& batch) { return batch.key == dialog.chosenBatch(); });
    if (Messages::ask(this, QStringLiteral("撤销 %1 的导入(%2 笔账目)，删除它存入的全部账目吗?")
                                .arg(chosen->stamp)
                                .arg(chosen->entries)))
        undoBatch(chosen->key);
}

void ImportWindow::undoBatch(qint64 batch) {
    try {
        onLedger(this, QStringLiteral("正在撤销这次导入…"), LedgerConnection::Access::Write,
                 [batch](const SqlConnection& db) { ImportStore::undo(db, batch); });
    } catch (const DbError& error) {
        Messages::error(this, error.message());
        return;
    }
    if (batch == m_lastBatch) {
        m_lastBatch = 0;
        m_Undo->setEnabled(false);
    }
    // The bills' lines of that batch are no longer duplicates.
    if (!m_bills.isEmpty())
        propose();
}
