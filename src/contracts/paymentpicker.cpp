#include "paymentpicker.h"

#include "contractfigures.h"
#include "windowlook.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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

QTreeWidget* listWith(QDialog* dialog, const QString& caption, const QStringList& headers) {
    auto* label = new QLabel(caption, dialog);
    label->setWordWrap(true);
    auto* list = new QTreeWidget(dialog);
    list->setObjectName(QStringLiteral("ChoiceList"));
    list->setAccessibleName(caption);
    label->setBuddy(list);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(okCancel(dialog));
    dialog->resize(640, 420);
    return list;
}

} // namespace

PaymentPicker::PaymentPicker(const QVector<StagePayment>& entries, const QHash<qint64, QString>& projectNames,
                             const QString& stageName, QWidget* parent)
    : QDialog(parent), m_entries(entries) {
    setObjectName(QStringLiteral("PaymentPicker"));
    setWindowTitle(QStringLiteral("从账目中选择"));
    WindowLook::apply(this);
    m_list = listWith(this, QStringLiteral("勾选要关联到“%1”的账目").arg(stageName),
                      {QStringLiteral("日期"), QStringLiteral("名称"), QStringLiteral("对应工程"),
                       QStringLiteral("金额(元)"), QStringLiteral("已付(元)")});
    for (int i = 0; i < entries.size(); ++i) {
        const StagePayment& entry = entries[i];
        auto* item =
            new QTreeWidgetItem(m_list, {entry.date, entry.name, projectNames.value(entry.projectKey),
                                         entry.amount.text(), entry.paid.text()});
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, Qt::UserRole, i);
    }
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
}

QVector<StagePayment> PaymentPicker::chosen() const {
    QVector<StagePayment> checked;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            checked << m_entries[item->data(0, Qt::UserRole).toInt()];
    }
    return checked;
}

StageChooser::StageChooser(const QVector<ContractFigures>& contracts, const QString& entryText,
                           qint64 current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("StageChooser"));
    setWindowTitle(QStringLiteral("关联到合同阶段"));
    WindowLook::apply(this);
    m_list = listWith(this, QStringLiteral("选择账目“%1”所属的付款阶段").arg(entryText),
                      {QStringLiteral("合同 / 阶段"), QStringLiteral("金额(元)"), QStringLiteral("已付(元)"),
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
