#pragma once

#include "lookupconfiguration.h"
#include "rowguard.h"

#include <QWidget>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;
class Query;
class QueryModel;

// The editor of one lookup list: a grid of the names on the left, the name and key
// of the current row on the right, and the buttons that add, change and delete rows.
// The list query stays open for the window's life; the grid, the key box and (out of
// new state) the name box all show its current row.
class LookupEditor : public QWidget {
    Q_OBJECT
public:
    enum EditState { BrowseState = 0, NewState = 1, ModifyState = 2 };

    const LookupConfiguration& configuration() const { return m_configuration; }
    EditState editState() const { return m_editState; }

protected:
    explicit LookupEditor(const LookupConfiguration& configuration, QWidget* parent = nullptr);

    void closeEvent(QCloseEvent* event) override;
    // Clears the window's single-instance reference.
    virtual void FormClose() = 0;

private Q_SLOTS:
    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton4Click();
    void SpeedButton7Click();
    void DBEdit1Change();

private:
    bool resolveConflict(const RowConflict::Details& conflict);
    void buildUi();
    QToolButton* addButton(const char* name, const QString& caption, int x, int y);
    void placeInFrame();
    void showCurrentKey();
    QString currentName() const;
    void setEditing(bool editing);

    const LookupConfiguration& m_configuration;
    EditState m_editState = BrowseState;
    Query* m_ADOQuery1 = nullptr;
    QueryModel* m_model = nullptr;

    QGroupBox* m_GroupBox1 = nullptr;
    QTableView* m_DBGrid1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLineEdit* m_Edit1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLineEdit* m_DBEdit1 = nullptr;
    QLabel* m_Label3 = nullptr;
    QFrame* m_Bevel1 = nullptr;
    QFrame* m_Bevel2 = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
    QToolButton* m_SpeedButton2 = nullptr;
    QToolButton* m_SpeedButton3 = nullptr;
    QToolButton* m_SpeedButton5 = nullptr;
    QToolButton* m_SpeedButton6 = nullptr;
    QToolButton* m_SpeedButton4 = nullptr;
    QToolButton* m_SpeedButton7 = nullptr;
};
