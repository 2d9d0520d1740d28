#include "batchesdialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

BatchesDialog::BatchesDialog(QWidget* parent, const QVector<ImportBatch>& batches)
    : QDialog(parent), m_batches(batches), m_list(new QTableWidget(int(batches.size()), 4, this)) {
    setObjectName(QStringLiteral("BatchesDialog"));
    setWindowTitle(QStringLiteral("导入记录"));
    m_list->setObjectName(QStringLiteral("BatchList"));
    m_list->setAccessibleName(QStringLiteral("导入记录"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("导入时间"), QStringLiteral("来源"), QStringLiteral("笔数"), QStringLiteral("文件")});
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < batches.size(); ++r) {
        const ImportBatch& batch = batches[r];
        const QString cells[4] = {batch.stamp, batch.source, QString::number(batch.entries), batch.files};
        for (int c = 0; c < 4; ++c)
            m_list->setItem(r, c, new QTableWidgetItem(cells[c]));
        m_list->item(r, 2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* undo = buttons->addButton(QStringLiteral("撤销所选导入"), QDialogButtonBox::AcceptRole);
    undo->setObjectName(QStringLiteral("UndoBatch"));
    undo->setEnabled(false);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTableWidget::currentCellChanged, this, [this, undo](int row) { undo->setEnabled(row >= 0); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(640, 320);
}

qint64 BatchesDialog::chosenBatch() const {
    const int row = m_list->currentRow();
    return row >= 0 && row < m_batches.size() ? m_batches[row].key : 0;
}
