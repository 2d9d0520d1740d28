#pragma once

#include "ledgereditorlist.h"
#include "lookuptable.h"
#include "rowguard.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QInputMethodEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTextEdit;
class QToolButton;
class QTreeView;
struct LedgerEntry;
class LedgerListModel;
class Query;

// The ledger editor "账目编辑": one ledger entry at a time, typed in or changed.
//
// A free-standing window that stays on top, opened only by the ledger browser and
// tied to the browser's list (a LedgerEditorList, so that the editor needs nothing
// else of the browser): it loads the entry of the list's selected row, steps
// through the list with its navigation buttons and writes every saved entry back
// into the list. Once the browser is closed it no longer touches the list: loading
// and stepping then do nothing, and 撤消编辑 closes the editor.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    enum EditStates { BrowseState = 0, NewState = 1, ModifyState = 2 };

    TForm4();
    ~TForm4() override;

    int EditState() const { return m_EditState; }

    // The browser hands over its list each time it opens or focuses the editor.
    void setBrowserList(LedgerEditorList list);

    // Loads the entry of the browser's selected row into the fields and the record set.
    void LoadEntry();

    // The browser's 录入: an empty record set to insert into, new state, today's date.
    void startNewEntry();
    // The browser's 修改: the selected entry, in modify state.
    void startChangingEntry();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void FormCreate();
    void SpeedButton11Click(); // 新增账目
    void SpeedButton12Click(); // 修改账目
    void SpeedButton13Click(); // 撤消编辑
    void SpeedButton2Click();  // 保存账目
    void SpeedButton3Click();  // 结束退出
    void SpeedButton1Click();  // 导入正文
    void SpeedButton10Click(); // 计算
    void SpeedButton4Click();  // 全选
    void SpeedButton9Click();  // 不选
    void RadioButton1Click();
    void RadioButton2Click();
    void SpeedButton5Click(); // first
    void SpeedButton6Click(); // previous
    void SpeedButton7Click(); // next
    void SpeedButton8Click(); // last

private:
    void FormClose();
    // The controls and their places (ledgereditorcontrols.cpp).
    void buildTopGroup();
    void buildLocationGroup();
    void buildPaymentGroup();
    void buildRightColumn();
    void setUpTabOrder();

    void ShowBrowseState();
    void ShowEditState();
    void paintBoxes(const QColor& colour);
    void keepReadableWhileDisabled(bool readable);
    void setDepositEnabled(bool enabled);
    void setAllLocations(bool checked);

    void loadChoiceLists();
    void showText(const QString& stored);
    LedgerEntry enteredEntry() const;
    void relyOnChoices(const LedgerEntry& entry);
    bool resolveConflict(const RowConflict::Details& conflict);
    void showStoredEntry();
    void writeBackToBrowser(const LedgerEntry& entry, bool asNew);

    // The key filters of the number boxes; true when the key reaches the box.
    bool Edit2KeyPress(QLineEdit* box, QKeyEvent* key);
    bool Edit3KeyPress(QLineEdit* box, QKeyEvent* key);
    bool passesNumberFilter(QLineEdit* box, QKeyEvent* key, bool signedNumber);
    void typeCommittedText(QLineEdit* box, const QInputMethodEvent* input);

    // The browser's list while the browser is open, else nullptr.
    QTreeView* openBrowserList() const;
    LedgerListModel* browserModel() const;
    int selectedBrowserRow() const;
    void selectBrowserRow(int row);
    void pressKeyInBrowserList(int key);

    int m_EditState = BrowseState;
    bool m_readableWhileDisabled = false;
    LedgerEditorList m_list;
    QString m_storedText; // the entry's text as read, and as the box showed it then
    QString m_shownText;
    Query* m_ADOQuery1;
    LookupTable m_projects;         // ProjectNames, ProjectIds
    LookupTable m_categories;       // CategoryNames, CategoryIds
    bool m_choicesAccepted = false; // the user kept their entry over a changed project or category

    QGroupBox* m_GroupBox1;
    QLineEdit* m_Edit1;
    QComboBox* m_ComboBox4;
    QDateEdit* m_DateTimePicker1;
    QComboBox* m_ComboBox1;
    QComboBox* m_ComboBox2;
    QLineEdit* m_Edit2;
    QLineEdit* m_Edit3;
    QComboBox* m_ComboBox3;

    QGroupBox* m_GroupBox3;
    QCheckBox* m_CheckBoxes[9];
    QToolButton* m_SpeedButton4;
    QToolButton* m_SpeedButton9;

    QGroupBox* m_GroupBox2;
    QRadioButton* m_RadioButton1;
    QLineEdit* m_Edit6;
    QToolButton* m_SpeedButton10;
    QRadioButton* m_RadioButton2;
    QLabel* m_Label9;
    QLineEdit* m_Edit5;

    QTextEdit* m_RichEdit1;
    QLabel* m_Panel3;
    QToolButton* m_SpeedButton5;
    QToolButton* m_SpeedButton6;
    QToolButton* m_SpeedButton7;
    QToolButton* m_SpeedButton8;
    QToolButton* m_SpeedButton1;
    QToolButton* m_SpeedButton11;
    QToolButton* m_SpeedButton12;
    QToolButton* m_SpeedButton13;
    QToolButton* m_SpeedButton2;
    QToolButton* m_SpeedButton3;
};

// The one ledger editor, while it is open.
extern QPointer<TForm4> Form4;
