#include "paymentpicker.h"

#include "contractfigures.h"
#include "windowlook.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

template <class List> List* listWith(QDialog* dialog, const QString& caption) {
    auto* label = new QLabel(caption, dialog);
    label->setWordWrap(true);
    auto* list = new List(dialog);
    list->setObjectName(QStringLiteral("ChoiceList"));
    list->setAccessibleName(caption);
    label->setBuddy(list);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(okCancel(dialog));
    dialog->resize(640, 420);
    return list;
}

const QStringList paymentHeaders = {QStringLiteral("日期"), QStringLiteral("名称"), QStringLiteral("对应工程"),
                                    QStringLiteral("金额(元)"), QStringLiteral("已付(元)")};

} // namespace

PaymentChoices::PaymentChoices(QVector<StagePayment> entries, QHash<qint64, QString> projectNames,
                               QObject* parent)
    : QAbstractTableModel(parent), m_entries(std::move(entries)), m_checked(m_entries.size(), false),
      m_projectNames(std::move(projectNames)) {}

int PaymentChoices::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int PaymentChoices::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(paymentHeaders.size());
}

QVariant PaymentChoices::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const StagePayment& entry = m_entries[index.row()];
    if (role == Qt::CheckStateRole && index.column() == 0)
        return m_checked[index.row()] ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return entry.date;
    case 1:
        return entry.name;
    case 2:
        return m_projectNames.value(entry.projectKey);
    case 3:
        return entry.amount.text();
    default:
        return entry.paid.text();
    }
}

bool PaymentChoices::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    m_checked[index.row()] = value.toInt() == Qt::Checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags PaymentChoices::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant PaymentChoices::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < paymentHeaders.size())
        return paymentHeaders[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVector<StagePayment> PaymentChoices::checked() const {
    QVector<StagePayment> checked;
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_checked[i])
            checked << m_entries[i];
    return checked;
}

PaymentPicker::PaymentPicker(const QVector<StagePayment>& entries, const QHash<qint64, QString>& projectNames,
                             const QString& stageName, QWidget* parent)
    : QDialog(parent), m_choices(new PaymentChoices(entries, projectNames, this)) {
    setObjectName(QStringLiteral("PaymentPicker"));
    setWindowTitle(QStringLiteral("从账目中选择"));
    WindowLook::apply(this);
    m_list = listWith<QTreeView>(this, QStringLiteral("勾选要关联到“%1”的账目").arg(stageName));
    m_list->setModel(m_choices);
    // Measured over the first rows only (the header's precision), however many there are.
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
}

QVector<StagePayment> PaymentPicker::chosen() const {
    return m_choices->checked();
}

StageChooser::StageChooser(const QVector<ContractFigures>& contracts, const QString& entryText,
                           qint64 current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("StageChooser"));
    setWindowTitle(QStringLiteral("关联到合同阶段"));
    WindowLook::apply(this);
    m_list = listWith<QTreeWidget>(this, QStringLiteral("选择账目“%1”所属的付款阶段").arg(entryText));
    m_list->setHeaderLabels({QStringLiteral("合同 / 阶段"), QStringLiteral("金额(元)"), QStringLiteral("已付(元)"),
                             QStringLiteral("应付日期")});
    m_list->setRootIsDecorated(true);
    for (const ContractFigures& contract : contracts) {
        auto* top = new QTreeWidgetItem(
            m_list, {contract.record.name, contract.payable().text(), contract.paid.text()});
        top->setFlags(Qt::ItemIsEnabled);
        for (const StageFigures& stage : contract.stages) {
            auto* item = new QTreeWidgetItem(
                top, {stage.record.name, stage.amount.text(), stage.paid.text(), stage.record.dueDate});
            item->setData(0, Qt::UserRole, stage.record.key);
            if (stage.record.key == current)
                m_list->setCurrentItem(item);
        }
    }
    m_list->expandAll();
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
}

qint64 StageChooser::chosenStage() const {
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}
