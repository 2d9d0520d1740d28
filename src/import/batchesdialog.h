#pragma once

#include "importstore.h"

#include <QDialog>

class QTableWidget;

// The imports stored in this ledger, newest first: when, from what, how many entries.
// 撤销所选导入 closes it with the chosen batch; the window takes that batch back.
class BatchesDialog : public QDialog {
    Q_OBJECT
public:
    BatchesDialog(QWidget* parent, const QVector<ImportBatch>& batches);
    // The batch of the current row; 0 when none is chosen.
    qint64 chosenBatch() const;

private:
    QVector<ImportBatch> m_batches;
    QTableWidget* m_list;
};
