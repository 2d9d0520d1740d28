#include "contractwindow.h"

#include "attachmentlistmodel.h"
#include "attachmenttable.h"
#include "attachmentwindow.h"
#include "contractattachments.h"
#include "backgroundwork.h"
#include "contractforms.h"
#include "contractlinking.h"
#include "contractlistmodel.h"
#include "contractreminders.h"
#include "contractreport.h"
#include "dberror.h"
#include "frame.h"
#include "ledgerplace.h"
#include "ledgersaves.h"
#include "messages.h"
#include "paymentpicker.h"
#include "pictures.h"
#include "sqlconnection.h"
#include "windowlook.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QPointer<ContractWindow> ContractForm;

namespace {

enum ItemKind { StageItem, PaymentItem, OtherItem };
constexpr int keyRole = Qt::UserRole;
constexpr int kindRole = Qt::UserRole + 1;

QTreeWidget* tree(QWidget* parent, const char* name, const QString& accessibleName,
                  const QStringList& headers) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(accessibleName);
    list->setHeaderLabels(headers);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    return list;
}

QTreeWidgetItem* itemOf(QTreeWidget* list, const QStringList& texts, qint64 key, ItemKind kind) {
    auto* item = new QTreeWidgetItem(list, texts);
    item->setData(0, keyRole, key);
    item->setData(0, kindRole, int(kind));
    return item;
}

// Asks before a contract or stage is removed, naming the attachments that go with it:
// contracts have no recycle bin, so the question is the last chance to keep them.
bool confirmAttachmentsGo(QWidget* parent, QString question,
                          const std::function<int(const SqlConnection&)>& countAttachments, const QString& whose) {
    int attachments = 0;
    try {
        attachments = countAttachments(SqlConnection::program());
    } catch (const DbError& failure) {
        Messages::error(parent, QStringLiteral("无法读取附件：%1").arg(failure.message()));
        return false;
    }
    if (attachments > 0)
        question += QStringLiteral("\n%1 %2 个附件（扫描件、照片）也一起删除，不能恢复。").arg(whose).arg(attachments);
    return Messages::ask(parent, question);
}

// Days left until a stored date, as the warranty list shows them.
QString daysLeft(const QString& date, const QDate& today) {
    const QDate day = QDate::fromString(date, Qt::ISODate);
    if (!day.isValid())
        return {};
    const qint64 days = today.daysTo(day);
    return days < 0 ? QStringLiteral("已过期") : QStringLiteral("还有 %1 天").arg(days);
}

} // namespace

ContractWindow::ContractWindow(QWidget* parent)
    : QWidget(parent), m_model(new ContractListModel(this)), m_report(std::make_unique<ContractReport>()),
      m_contractFiles(new AttachmentListModel(this)), m_stageFiles(new AttachmentListModel(this)) {
    setObjectName(QStringLiteral("ContractForm"));
    setWindowTitle(QStringLiteral("合同与付款"));
    setWindowIcon(Pictures::icon(5));
    WindowLook::apply(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildStrip());

    m_ContractList = new QTableView(this);
    m_ContractList->setObjectName(QStringLiteral("ContractList"));
    m_ContractList->setAccessibleName(QStringLiteral("合同"));
    m_ContractList->setModel(m_model);
    m_ContractList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ContractList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ContractList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ContractList->setWordWrap(false);
    m_ContractList->verticalHeader()->hide();
    m_ContractList->verticalHeader()->setDefaultSectionSize(m_ContractList->fontMetrics().height() + 6);
    m_ContractList->setColumnWidth(ContractListModel::Name, 150);
    connect(m_ContractList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ContractWindow::showDetail);
    connect(m_ContractList, &QTableView::doubleClicked, this, &ContractWindow::SpeedButton2Click);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(m_ContractList);
    split->addWidget(buildDetail());
    layout->addWidget(split, 1);

    m_Reminders = new QLabel(this);
    m_Reminders->setObjectName(QStringLiteral("Reminders"));
    m_Reminders->setAccessibleName(QStringLiteral("提醒"));
    m_Reminders->setWordWrap(true);
    m_Reminders->setContentsMargins(8, 4, 8, 4);
    m_Reminders->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette maroon = m_Reminders->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    m_Reminders->setPalette(maroon);
    layout->addWidget(m_Reminders);

    connect(&ContractNotices::instance(), &ContractNotices::linksChanged, this, &ContractWindow::reload);
    // What the ledger editor stores or the browser deletes changes what is paid; the
    // figures follow once the save or delete is done.
    const auto reloadLater = [this] { QTimer::singleShot(0, this, &ContractWindow::reload); };
    connect(&LedgerSaves::instance(), &LedgerSaves::entryStored, this, reloadLater);
    connect(&AttachmentNotices::instance(), &AttachmentNotices::entryDeleted, this, reloadLater);
    connect(&AttachmentNotices::instance(), &AttachmentNotices::contractAttachmentsChanged, this,
            [this](qint64 contractKey) {
                if (contractKey == selectedContract())
                    showAttachments();
            });

    Frame::addChild(this);
    Frame::outerWindow(this)->resize(960, 640);
    Frame::centreOnMainWindow(this);
    reload();
}

ContractWindow::~ContractWindow() = default;

QWidget* ContractWindow::buildStrip() {
    auto* strip = new QGroupBox(this);
    strip->setObjectName(QStringLiteral("GroupBox1"));
    auto* row = new QHBoxLayout(strip);
    m_SpeedButton1 =
        WindowLook::pictureButton(strip, "SpeedButton1", QStringLiteral("新增合同"), Pictures::Button::Add);
    m_SpeedButton2 =
        WindowLook::pictureButton(strip, "SpeedButton2", QStringLiteral("修改合同"), Pictures::Button::Edit);
    m_SpeedButton3 = WindowLook::pictureButton(strip, "SpeedButton3", QStringLiteral("删除合同"),
                                               Pictures::Button::Delete);
    m_SpeedButton5 =
        WindowLook::pictureButton(strip, "SpeedButton5", QStringLiteral("刷新"), Pictures::Button::Refresh);
    m_SpeedButton4 =
        WindowLook::pictureButton(strip, "SpeedButton4", QStringLiteral("打印"), Pictures::Button::Print);
    m_SpeedButton7 =
        WindowLook::pictureButton(strip, "SpeedButton7", QStringLiteral("付款计划"), Pictures::Button::Print);
    m_SpeedButton6 =
        WindowLook::pictureButton(strip, "SpeedButton6", QStringLiteral("退出"), Pictures::Button::Exit);
    for (QToolButton* b : {m_SpeedButton1, m_SpeedButton2, m_SpeedButton3, m_SpeedButton5, m_SpeedButton4,
                           m_SpeedButton7, m_SpeedButton6})
        row->addWidget(b);
    row->addStretch(1);
    connect(m_SpeedButton1, &QToolButton::clicked, this, &ContractWindow::SpeedButton1Click);
    connect(m_SpeedButton2, &QToolButton::clicked, this, &ContractWindow::SpeedButton2Click);
    connect(m_SpeedButton3, &QToolButton::clicked, this, &ContractWindow::SpeedButton3Click);
    connect(m_SpeedButton5, &QToolButton::clicked, this, &ContractWindow::SpeedButton5Click);
    connect(m_SpeedButton4, &QToolButton::clicked, this, &ContractWindow::SpeedButton4Click);
    connect(m_SpeedButton7, &QToolButton::clicked, this, &ContractWindow::SpeedButton7Click);
    connect(m_SpeedButton6, &QToolButton::clicked, this, &ContractWindow::SpeedButton6Click);
    return strip;
}

QPushButton* ContractWindow::button(const char* name, const QString& caption,
                                    void (ContractWindow::*handler)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, handler);
    return b;
}

QWidget* ContractWindow::page(QTreeWidget* list, const QVector<QPushButton*>& buttons) {
    auto* widget = new QWidget(this);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons)
        row->addWidget(b);
    row->addStretch(1);
    layout->addLayout(row);
    return widget;
}

QWidget* ContractWindow::buildDetail() {
    m_Details = new QTabWidget(this);
    m_Details->setObjectName(QStringLiteral("Details"));
    m_StageList = tree(this, "StageList", QStringLiteral("付款阶段"),
                       {QStringLiteral("阶段 / 付款"), QStringLiteral("金额(元)"), QStringLiteral("已付(元)"),
                        QStringLiteral("未付(元)"), QStringLiteral("状态"), QStringLiteral("应付日期"),
                        QStringLiteral("验收日期"), QStringLiteral("付款条件")});
    m_ChangeList = tree(this, "ChangeList", QStringLiteral("增减项"),
                        {QStringLiteral("日期"), QStringLiteral("增减金额(元)"), QStringLiteral("原因")});
    m_WarrantyList = tree(this, "WarrantyList", QStringLiteral("保修"),
                          {QStringLiteral("保修内容"), QStringLiteral("开始日期"), QStringLiteral("截止日期"),
                           QStringLiteral("剩余")});
    m_ChangeList->setRootIsDecorated(false);
    m_WarrantyList->setRootIsDecorated(false);
    connect(m_StageList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, kindRole).toInt() == StageItem)
            editStage();
    });
    connect(m_ChangeList, &QTreeWidget::itemDoubleClicked, this, &ContractWindow::editChange);
    connect(m_WarrantyList, &QTreeWidget::itemDoubleClicked, this, &ContractWindow::editWarranty);

    m_Details->addTab(
        page(m_StageList,
             {button("AddStage", QStringLiteral("添加阶段"), &ContractWindow::addStage),
              button("EditStage", QStringLiteral("修改阶段"), &ContractWindow::editStage),
              button("DeleteStage", QStringLiteral("删除阶段"), &ContractWindow::removeStage),
              button("ChoosePayments", QStringLiteral("从账目中选择…"), &ContractWindow::choosePayments),
              button("UnlinkPayment", QStringLiteral("取消关联"), &ContractWindow::unlinkPayment),
              button("StageAttachmentsOfList", QStringLiteral("阶段附件…"), &ContractWindow::stageAttachments)}),
        QStringLiteral("付款阶段"));
    m_Details->addTab(
        page(m_ChangeList,
             {button("AddChange", QStringLiteral("添加增减项"), &ContractWindow::addChange),
              button("EditChange", QStringLiteral("修改增减项"), &ContractWindow::editChange),
              button("DeleteChange", QStringLiteral("删除增减项"), &ContractWindow::removeChange)}),
        QStringLiteral("增减项"));
    m_Details->addTab(
        page(m_WarrantyList,
             {button("AddWarranty", QStringLiteral("添加保修"), &ContractWindow::addWarranty),
              button("EditWarranty", QStringLiteral("修改保修"), &ContractWindow::editWarranty),
              button("DeleteWarranty", QStringLiteral("删除保修"), &ContractWindow::removeWarranty)}),
        QStringLiteral("保修"));
    m_Details->addTab(buildAttachments(), QStringLiteral("附件"));
    connect(m_StageList, &QTreeWidget::currentItemChanged, this, &ContractWindow::showAttachments);
    return m_Details;
}

QListView* ContractWindow::attachmentList(const char* name, AttachmentListModel* model) {
    // The attachment window's thumbnails, smaller: a glance at what is there.
    constexpr int side = AttachmentListModel::thumbnailSide / 2;
    auto* list = new QListView(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setWordWrap(true);
    list->setIconSize(QSize(side, side));
    list->setGridSize(QSize(side + 72, side + 44));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setModel(model);
    return list;
}

QWidget* ContractWindow::buildAttachments() {
    auto* widget = new QWidget(this);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(4, 4, 4, 4);
    const auto section = [&](QListView* list, QLabel* label, QPushButton* manage) {
        label->setBuddy(list); // the list's accessible name is its caption
        list->setAccessibleName(label->text());
        auto* row = new QHBoxLayout;
        row->addWidget(label);
        row->addStretch(1);
        row->addWidget(manage);
        layout->addLayout(row);
        layout->addWidget(list, 1);
    };
    m_ContractFiles = attachmentList("ContractFiles", m_contractFiles);
    section(m_ContractFiles, new QLabel(QStringLiteral("合同的附件"), widget),
            button("ContractAttachments", QStringLiteral("合同附件…"), &ContractWindow::contractAttachments));
    m_StageFiles = attachmentList("StageFiles", m_stageFiles);
    m_StageFilesLabel = new QLabel(QStringLiteral("付款阶段的附件"), widget);
    m_StageFilesLabel->setObjectName(QStringLiteral("StageFilesLabel"));
    section(m_StageFiles, m_StageFilesLabel,
            button("StageAttachments", QStringLiteral("阶段附件…"), &ContractWindow::stageAttachments));
    // Opening one goes through its owner's window, where it can be opened, saved or deleted.
    connect(m_ContractFiles, &QListView::activated, this, &ContractWindow::contractAttachments);
    connect(m_StageFiles, &QListView::activated, this, &ContractWindow::stageAttachments);
    return widget;
}

void ContractWindow::showAttachments() {
    const ContractFigures* contract = current();
    const StageFigures* stage = currentStage();
    m_StageFilesLabel->setText(stage ? QStringLiteral("付款阶段“%1”的附件").arg(stage->record.name)
                                     : QStringLiteral("付款阶段的附件（先在“付款阶段”里选中一个阶段）"));
    m_StageFiles->setAccessibleName(m_StageFilesLabel->text());
    try {
        if (contract)
            m_contractFiles->load(AttachmentOwner::contract(contract->record.key));
        else
            m_contractFiles->clear();
        if (stage)
            m_stageFiles->load(AttachmentOwner::stage(stage->record.key));
        else
            m_stageFiles->clear();
    } catch (const DbError& failure) {
        m_contractFiles->clear();
        m_stageFiles->clear();
        Messages::error(this, QStringLiteral("无法读取附件：%1").arg(failure.message()));
    }
}

void ContractWindow::contractAttachments() {
    const ContractFigures* contract = current();
    if (!contract) {
        Messages::information(this, QStringLiteral("请先选择一个合同。"));
        return;
    }
    AttachmentWindow::showFor(AttachmentOwner::contract(contract->record.key), window());
}

void ContractWindow::stageAttachments() {
    const StageFigures* stage = currentStage();
    if (!stage) {
        Messages::information(this, QStringLiteral("请先选择一个付款阶段。"));
        return;
    }
    AttachmentWindow::showFor(AttachmentOwner::stage(stage->record.key), window());
}

void ContractWindow::closeAttachmentWindows(const QVector<AttachmentOwner>& owners) {
    for (const AttachmentOwner& owner : owners)
        AttachmentWindow::closeFor(owner);
}

void ContractWindow::setToday(const QDate& today) {
    m_today = today;
    reload();
}

// Reads the contracts, their figures and reminders; reading never writes. A ledger
// that cannot be read leaves the list empty, and the user is told why.
void ContractWindow::reload() {
    const qint64 selected = selectedContract();
    QVector<ContractFigures> figures;
    QVector<ContractReminder> reminders;
    try {
        const SqlConnection db = SqlConnection::program();
        m_projects = ContractLinking::projectNames();
        figures = ContractFigures::compute(db, m_today);
        m_warranties = ContractStore::warranties(db);
        m_changes = ContractStore::changeOrders(db);
        reminders = ContractReminders::collect(figures, m_warranties, m_today);
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("读取合同失败：%1").arg(failure.message()));
    }
    m_model->setContracts(figures);
    // A few lines: a ledger with many contracts due keeps its list in view.
    const QStringList lines = ContractReminders::texts(reminders, 6);
    m_Reminders->setText(lines.isEmpty() ? QString()
                                         : QStringLiteral("提醒：") + lines.join(QStringLiteral("；\n")));
    m_Reminders->setVisible(!lines.isEmpty());
    const int row = m_model->rowOf(selected);
    {
        const QSignalBlocker once(m_ContractList->selectionModel()); // the detail is shown once, below
        selectContract(row >= 0 ? selected : (m_model->rowCount() > 0 ? m_model->contract(0).record.key : 0));
    }
    showDetail();
}

void ContractWindow::selectContract(qint64 key) {
    const int row = m_model->rowOf(key);
    if (row >= 0)
        m_ContractList->setCurrentIndex(m_model->index(row, 0));
}

qint64 ContractWindow::selectedContract() const {
    const ContractFigures* contract = current();
    return contract ? contract->record.key : 0;
}

const ContractFigures* ContractWindow::current() const {
    const QModelIndex index = m_ContractList->currentIndex();
    return index.isValid() && index.row() < m_model->rowCount() ? &m_model->contract(index.row()) : nullptr;
}

void ContractWindow::showDetail() {
    // The attachments are read once, below, not for each current stage the rebuild passes.
    const QSignalBlocker rebuilding(m_StageList);
    m_StageList->clear();
    m_ChangeList->clear();
    m_WarrantyList->clear();
    const ContractFigures* contract = current();
    showAttachments();
    if (!contract)
        return;
    try {
        const SqlConnection db = SqlConnection::program();
        for (const StageFigures& stage : contract->stages) {
            QTreeWidgetItem* item =
                itemOf(m_StageList,
                       {stage.record.name, stage.amount.text(), stage.paid.text(), stage.unpaid().text(),
                        stageStateText(stage.state), stage.record.dueDate, stage.record.acceptedDate,
                        stage.record.condition},
                       stage.record.key, StageItem);
            if (stage.state == StageFigures::Overdue)
                for (int column = 0; column < m_StageList->columnCount(); ++column)
                    item->setForeground(column, Qt::red);
            for (const StagePayment& payment : ContractStore::payments(db, stage.record.key)) {
                auto* child = new QTreeWidgetItem(item, {payment.date + QLatin1Char(' ') + payment.name,
                                                         payment.amount.text(), payment.paid.text()});
                child->setData(0, keyRole, payment.entryKey);
                child->setData(0, kindRole, int(PaymentItem));
            }
        }
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("读取付款失败：%1").arg(failure.message()));
    }
    m_StageList->expandAll();
    m_StageList->header()->resizeSections(QHeaderView::ResizeToContents);
    for (const ChangeOrderRecord& change : m_changes)
        if (change.contractKey == contract->record.key)
            itemOf(m_ChangeList, {change.date, Money::fromDouble(change.amount).text(), change.reason},
                   change.key, OtherItem);
    for (const WarrantyRecord& warranty : m_warranties)
        if (warranty.contractKey == contract->record.key)
            itemOf(m_WarrantyList,
                   {warranty.what, warranty.startDate, warranty.endDate, daysLeft(warranty.endDate, m_today)},
                   warranty.key, OtherItem);
}

const StageFigures* ContractWindow::currentStage() const {
    const ContractFigures* contract = current();
    const QTreeWidgetItem* item = m_StageList->currentItem();
    if (!contract || !item)
        return nullptr;
    if (item->data(0, kindRole).toInt() == PaymentItem)
        item = item->parent();
    for (const StageFigures& stage : contract->stages)
        if (stage.record.key == item->data(0, keyRole).toLongLong())
            return &stage;
    return nullptr;
}

qint64 ContractWindow::currentKey(QTreeWidget* list, int kind) const {
    const QTreeWidgetItem* item = list->currentItem();
    return item && item->data(0, kindRole).toInt() == kind ? item->data(0, keyRole).toLongLong() : 0;
}

bool ContractWindow::stored(const std::function<void()>& store) {
    try {
        store();
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("保存失败：%1").arg(failure.message()));
        return false;
    }
    reload();
    return true;
}

// Stages may add up to more than is payable (some contracts are settled later), but
// only when the user says so.
bool ContractWindow::stagesFit(const ContractFigures& contract, const StageRecord& changed) {
    Money total = changed.amount ? Money::fromDouble(*changed.amount)
                                 : ContractMoney::percentOf(contract.price, changed.percent);
    for (const StageFigures& stage : contract.stages)
        if (stage.record.key != changed.key)
            total += stage.amount;
    if (!ContractMoney::less(contract.payable(), total))
        return true;
    return Messages::ask(
        this, QStringLiteral("各付款阶段合计 %1 元，超过了应付 %2 元（合同价加增减项）。\n\n仍然保存吗?")
                  .arg(total.text(), contract.payable().text()));
}

// The projects to choose a contract's from, in key order as the ledger lists them.
QVector<RecordForm::Choice> ContractWindow::projectChoices() const {
    QVector<RecordForm::Choice> projects;
    for (auto it = m_projects.cbegin(); it != m_projects.cend(); ++it)
        projects << RecordForm::Choice{it.key(), it.value()};
    std::sort(projects.begin(), projects.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    return projects;
}

void ContractWindow::SpeedButton1Click() {
    ContractRecord record;
    if (!ContractForms::editContract(this, record, projectChoices()))
        return;
    if (stored([&] { ContractStore::save(SqlConnection::program(), record); }))
        selectContract(record.key);
}

void ContractWindow::SpeedButton2Click() {
    const ContractFigures* contract = current();
    if (!contract)
        return;
    ContractRecord record = contract->record;
    if (ContractForms::editContract(this, record, projectChoices()))
        stored([&] { ContractStore::save(SqlConnection::program(), record); });
}

void ContractWindow::SpeedButton3Click() {
    const ContractFigures* contract = current();
    if (!contract)
        return;
    int payments = 0;
    for (int i = 0; i < m_StageList->topLevelItemCount(); ++i)
        payments += m_StageList->topLevelItem(i)->childCount();
    QString text = QStringLiteral("你确定要删除合同“%1”吗?\n它的付款阶段、增减项和保修记录一起删除。")
                       .arg(contract->record.name);
    if (payments > 0)
        text += QStringLiteral("\n已关联的 %1 笔付款取消关联，账目本身保留。").arg(payments);
    const qint64 key = contract->record.key;
    if (!confirmAttachmentsGo(this, text, [key](const SqlConnection& db) {
            return ContractAttachments::countOfContract(db, key);
        }, QStringLiteral("合同和各阶段的")))
        return;
    // Named before the store, which reads the contracts anew.
    QVector<AttachmentOwner> owners{AttachmentOwner::contract(key)};
    for (const StageFigures& stage : contract->stages)
        owners << AttachmentOwner::stage(stage.record.key);
    if (stored([&] { ContractStore::removeContract(SqlConnection::program(), key); }))
        closeAttachmentWindows(owners);
}

void ContractWindow::SpeedButton5Click() {
    reload();
}

void ContractWindow::SpeedButton4Click() {
    const ContractFigures* contract = current();
    if (!contract) {
        Messages::information(this, QStringLiteral("请先选择一个合同。"));
        return;
    }
    QVector<ChangeOrderRecord> changes;
    for (const ChangeOrderRecord& change : m_changes)
        if (change.contractKey == contract->record.key)
            changes << change;
    QHash<qint64, QVector<StagePayment>> payments;
    try {
        const SqlConnection db = SqlConnection::program();
        for (const StageFigures& stage : contract->stages)
            payments.insert(stage.record.key, ContractStore::payments(db, stage.record.key));
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("读取付款失败：%1").arg(failure.message()));
        return;
    }
    m_report->setUpStatement(*contract, changes, payments, m_today);
    try {
        m_report->ShowReport(this);
    } catch (...) {
    }
}

void ContractWindow::SpeedButton7Click() {
    m_report->setUpPlan(m_model->all(), m_today);
    try {
        m_report->ShowReport(this);
    } catch (...) {
    }
}

void ContractWindow::SpeedButton6Click() {
    Frame::outerWindow(this)->close();
}

void ContractWindow::addStage() {
    const ContractFigures* contract = current();
    if (!contract) {
        Messages::information(this, QStringLiteral("请先选择一个合同。"));
        return;
    }
    StageRecord record;
    record.contractKey = contract->record.key;
    if (ContractForms::editStage(this, record) && stagesFit(*contract, record))
        stored([&] { ContractStore::save(SqlConnection::program(), record); });
}

void ContractWindow::editStage() {
    const ContractFigures* contract = current();
    const StageFigures* stage = currentStage();
    if (!contract || !stage)
        return;
    StageRecord record = stage->record;
    if (ContractForms::editStage(this, record) && stagesFit(*contract, record))
        stored([&] { ContractStore::save(SqlConnection::program(), record); });
}

void ContractWindow::removeStage() {
    const StageFigures* stage = currentStage();
    if (!stage)
        return;
    QString text = QStringLiteral("你确定要删除付款阶段“%1”吗?").arg(stage->record.name);
    if (!stage->paid.isZero())
        text += QStringLiteral("\n已关联的付款取消关联，账目本身保留。");
    const qint64 key = stage->record.key;
    if (!confirmAttachmentsGo(this, text, [key](const SqlConnection& db) {
            return ContractAttachments::countOfStage(db, key);
        }, QStringLiteral("这个阶段的")))
        return;
    if (stored([&] { ContractStore::removeStage(SqlConnection::program(), key); }))
        closeAttachmentWindows({AttachmentOwner::stage(key)});
}

void ContractWindow::choosePayments() {
    const ContractFigures* contract = current();
    const StageFigures* stage = currentStage();
    if (!contract || !stage) {
        Messages::information(this, QStringLiteral("请先选择一个付款阶段。"));
        return;
    }
    const ContractRecord contractRecord = contract->record;
    const StageRecord stageRecord = stage->record;
    QVector<StagePayment> entries;
    try {
        // Every unlinked entry of a large ledger takes a while to read: on a
        // connection of its own, while the windows keep painting.
        const LedgerPlace ledger = LedgerPlace::ofProgram();
        BackgroundWork::run(this, QStringLiteral("正在读取未关联的账目…"), [&](const BackgroundWork::Report&) {
            const LedgerConnection reading(ledger, LedgerConnection::Access::Read);
            entries = ContractStore::unlinkedEntries(reading.connection(), contractRecord.projectKey);
        });
    } catch (const DbError& failure) {
        Messages::error(this, QStringLiteral("读取账目失败：%1").arg(failure.message()));
        return;
    }
    if (entries.isEmpty()) {
        Messages::information(this, QStringLiteral("没有未关联的账目。"));
        return;
    }
    PaymentPicker picker(entries, m_projects, stageRecord.name, this);
    if (picker.exec() != QDialog::Accepted || picker.chosen().isEmpty())
        return;
    ContractLinking::link(this, picker.chosen(), contractRecord, stageRecord, m_projects);
}

void ContractWindow::unlinkPayment() {
    const qint64 entry = currentKey(m_StageList, PaymentItem);
    if (entry == 0) {
        Messages::information(this, QStringLiteral("请先在付款阶段下选择一笔付款。"));
        return;
    }
    stored([&] { ContractStore::unlink(SqlConnection::program(), entry); });
}

void ContractWindow::addChange() {
    const ContractFigures* contract = current();
    if (!contract) {
        Messages::information(this, QStringLiteral("请先选择一个合同。"));
        return;
    }
    ChangeOrderRecord record;
    record.contractKey = contract->record.key;
    if (ContractForms::editChangeOrder(this, record))
        stored([&] { ContractStore::save(SqlConnection::program(), record); });
}

void ContractWindow::editChange() {
    const qint64 key = currentKey(m_ChangeList, OtherItem);
    for (ChangeOrderRecord record : m_changes)
        if (record.key == key && key != 0) {
            if (ContractForms::editChangeOrder(this, record))
                stored([&] { ContractStore::save(SqlConnection::program(), record); });
            return;
        }
}

void ContractWindow::removeChange() {
    const qint64 key = currentKey(m_ChangeList, OtherItem);
    if (key != 0 && Messages::ask(this, QStringLiteral("你确定要删除这个增减项吗?")))
        stored([&] { ContractStore::removeChangeOrder(SqlConnection::program(), key); });
}

void ContractWindow::addWarranty() {
    const ContractFigures* contract = current();
    if (!contract) {
        Messages::information(this, QStringLiteral("请先选择一个合同。"));
        return;
    }
    WarrantyRecord record;
    record.contractKey = contract->record.key;
    if (ContractForms::editWarranty(this, record))
        stored([&] { ContractStore::save(SqlConnection::program(), record); });
}

void ContractWindow::editWarranty() {
    const qint64 key = currentKey(m_WarrantyList, OtherItem);
    for (WarrantyRecord record : m_warranties)
        if (record.key == key && key != 0) {
            if (ContractForms::editWarranty(this, record))
                stored([&] { ContractStore::save(SqlConnection::program(), record); });
            return;
        }
}

void ContractWindow::removeWarranty() {
    const qint64 key = currentKey(m_WarrantyList, OtherItem);
    if (key != 0 && Messages::ask(this, QStringLiteral("你确定要删除这条保修记录吗?")))
        stored([&] { ContractStore::removeWarranty(SqlConnection::program(), key); });
}

void ContractWindow::closeEvent(QCloseEvent* event) {
    ContractForm = nullptr;
    event->accept();
}
