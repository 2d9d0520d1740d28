#pragma once

#include "billfile.h"
#include "importproposal.h"

#include <QPointer>
#include <QWidget>

class ImportPreviewModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

// The window 导入账单: bill files chosen (several, or dropped from the file
// manager) are read on another thread and proposed as entries in the preview;
// 导入 stores the ticked ones as one batch, 撤销这次导入 takes that batch back, and
// 导入记录… lists the ledger's earlier batches to take one of them back.
// Opening it only reads.
class ImportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImportWindow(QWidget* parent = nullptr);
    ~ImportWindow() override;

    // Reads the files and shows their proposal (what 选择文件 and a drop do).
    void loadFiles(const QStringList& paths);
    ImportPreviewModel* preview() const { return m_model; }
    qint64 lastBatch() const { return m_lastBatch; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private Q_SLOTS:
    void chooseFiles();
    void propose();
    void applyToSelected();
    void saveRuleFromRow();
    void editRules();
    void applyMapping();
    void importTicked();
    void undoImport();
    void showBatches();

private:
    QWidget* buildMappingStrip();
    QWidget* buildEditStrip();
    QList<int> selectedRows() const;
    void showSummary();
    void undoBatch(qint64 batch);

    QVector<BillFile> m_bills;
    ImportPreviewModel* m_model;
    qint64 m_lastBatch = 0;

    QLabel* m_Files = nullptr;
    QCheckBox* m_DateRange = nullptr;
    QDateEdit* m_From = nullptr;
    QDateEdit* m_To = nullptr;
    QWidget* m_MappingStrip = nullptr;
    QComboBox* m_mappingBoxes[6] = {};
    QTableView* m_Preview = nullptr;
    QComboBox* m_SetMode = nullptr;
    QComboBox* m_SetProject = nullptr;
    QComboBox* m_SetCategory = nullptr;
    QLineEdit* m_SetRooms = nullptr;
    QLabel* m_Summary = nullptr;
    QPushButton* m_Import = nullptr;
    QPushButton* m_Undo = nullptr;
};

extern QPointer<ImportWindow> ImportForm;
