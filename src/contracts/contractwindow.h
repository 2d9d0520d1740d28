#pragma once

#include "attachmenttable.h"
#include "contractfigures.h"
#include "recordform.h"

#include <QDate>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>

class AttachmentListModel;
class ContractListModel;
class ContractReport;
class QLabel;
class QListView;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// The window "合同与付款": every contract with what it commits (合同价 and 增减项),
// what of it is paid by the linked ledger entries, what is unpaid and held back as
// retention, and its next stage due; below, the selected contract's stages with
// their payments, its change orders, its warranty items and its and the selected
// stage's attachments (scans, acceptance photos), and the reminders of
// what falls due. Opening it only reads: no table is made until something is stored.
class ContractWindow : public QWidget {
    Q_OBJECT
public:
    explicit ContractWindow(QWidget* parent = nullptr);
    ~ContractWindow() override;

    // The day the figures and reminders are reckoned on (today, unless a test sets it).
    void setToday(const QDate& today);
    void selectContract(qint64 key);
    qint64 selectedContract() const;
    const ContractListModel* contracts() const { return m_model; }

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void SpeedButton1Click(); // 新增合同
    void SpeedButton2Click(); // 修改合同
    void SpeedButton3Click(); // 删除合同
    void SpeedButton5Click(); // 刷新
    void SpeedButton4Click(); // 打印 (the selected contract's statement)
    void SpeedButton7Click(); // 付款计划
    void SpeedButton6Click(); // 退出
    void addStage();
    void editStage();
    void removeStage();
    void choosePayments();
    void unlinkPayment();
    void addChange();
    void editChange();
    void removeChange();
    void addWarranty();
    void editWarranty();
    void removeWarranty();
    void contractAttachments(); // the selected contract's attachment window
    void stageAttachments();    // the selected stage's

private:
    QWidget* buildStrip();
    QWidget* buildDetail();
    QWidget* page(QTreeWidget* list, const QVector<QPushButton*>& buttons);
    QWidget* buildAttachments();
    QListView* attachmentList(const char* name, AttachmentListModel* model);
    void showAttachments(); // of the selected contract and stage
    // Closes the attachment windows of a contract and its stages, or a stage, just removed.
    static void closeAttachmentWindows(const QVector<AttachmentOwner>& owners);
    QPushButton* button(const char* name, const QString& caption, void (ContractWindow::*handler)());
    void reload();
    void showDetail();
    const ContractFigures* current() const;
    QVector<RecordForm::Choice> projectChoices() const;
    const StageFigures* currentStage() const;
    qint64 currentKey(QTreeWidget* list, int kind) const;
    // Runs a store; false (and the failure shown) when the engine refused it.
    bool stored(const std::function<void()>& store);
    bool stagesFit(const ContractFigures& contract, const StageRecord& changed);

    QDate m_today = QDate::currentDate();
    ContractListModel* m_model;
    std::unique_ptr<ContractReport> m_report;
    QHash<qint64, QString> m_projects;
    QVector<WarrantyRecord> m_warranties;
    QVector<ChangeOrderRecord> m_changes;

    QToolButton* m_SpeedButton1 = nullptr;
    QToolButton* m_SpeedButton2 = nullptr;
    QToolButton* m_SpeedButton3 = nullptr;
    QToolButton* m_SpeedButton5 = nullptr;
    QToolButton* m_SpeedButton4 = nullptr;
    QToolButton* m_SpeedButton7 = nullptr;
    QToolButton* m_SpeedButton6 = nullptr;
    QTableView* m_ContractList = nullptr;
    QTabWidget* m_Details = nullptr;
    QTreeWidget* m_StageList = nullptr;
    QTreeWidget* m_ChangeList = nullptr;
    QTreeWidget* m_WarrantyList = nullptr;
    QLabel* m_Reminders = nullptr;
    AttachmentListModel* m_contractFiles;
    AttachmentListModel* m_stageFiles;
    QListView* m_ContractFiles = nullptr;
    QListView* m_StageFiles = nullptr;
    QLabel* m_StageFilesLabel = nullptr;
};

// The one contract window, while it is open.
extern QPointer<ContractWindow> ContractForm;
