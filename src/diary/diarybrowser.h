#pragma once

#include "rowguard.h"

#include <QPointer>
#include <QWidget>

class DiaryListModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QToolButton;
class QTreeView;
class Query;
struct DiaryEntry;

// The renovation diary "装修日记管理": every entry listed on the left, the selected
// one shown on the right, written, changed and deleted in place. The table is read
// once when the window opens; afterwards the list is patched row by row.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    enum EditState { BrowseState = 0, NewState = 1, ModifyState = 2 };

    explicit TForm1(QWidget* parent = nullptr);

    EditState editState() const { return m_EditState; }

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void FormCreate();
    void ListView1SelectItem();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void SpeedButton4Click();
    void SpeedButton7Click();

private:
    void buildUi();
    QWidget* buildTopBar();
    QWidget* buildRightPane();
    QToolButton* addButton(QWidget* bar, const char* name, const QString& caption, int x);
    void placeInFrame();
    void FormClose();
    void ShowBrowseState();
    void ShowEditState();
    int selectedRow() const;
    void selectRow(int row);
    void showEntryBoxes(const DiaryEntry& entry);
    void showText(const QString& stored);
    qint64 storeEntry(const DiaryEntry& entry);
    qint64 newestKey(qint64 storedKey);
    bool removeGuarded(const DiaryEntry& entry);
    void resolveConflict(const RowConflict::Details& conflict, const DiaryEntry& typed);
    void showStored(qint64 key);

    EditState m_EditState = BrowseState;
    bool m_removingRow = false;
    QString m_storedText; // the shown entry's text as stored, and as the box showed it
    QString m_shownText;
    Query* m_ADOQuery1 = nullptr;
    DiaryListModel* m_model = nullptr;

    QToolButton* m_SpeedButton1 = nullptr;
    QToolButton* m_SpeedButton2 = nullptr;
    QToolButton* m_SpeedButton3 = nullptr;
    QToolButton* m_SpeedButton5 = nullptr;
    QToolButton* m_SpeedButton4 = nullptr;
    QToolButton* m_SpeedButton7 = nullptr;
    QSplitter* m_Splitter1 = nullptr;
    QWidget* m_Panel3 = nullptr; // the left pane
    QTreeView* m_ListView1 = nullptr;
    QWidget* m_Panel2 = nullptr; // date, weather and mood
    QDateEdit* m_Date1 = nullptr;
    QComboBox* m_ComboBox1 = nullptr;
    QComboBox* m_ComboBox2 = nullptr;
    QPlainTextEdit* m_RichEdit1 = nullptr;
};

extern QPointer<TForm1> Form1;
