#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class WindowMenu;

// The main frame "岚墨家装账簿": the workspace that holds the child windows, the
// menus and toolbar of the command table with their keys, the status bar and the logo.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    QMdiArea* workspace() const { return m_workspace; }
    QAction* action(const QString& component) const { return m_actions.value(component); }

    // The dialogs of the shell, created once after the frame and shown modally.
    void setDialogs(QDialog* aboutBox, QDialog* helpDialog);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void N3Click();
    void N15Click();
    void NImportClick();
    void N6Click();
    void N8Click();
    void N10Click();
    void N27Click();
    void N12Click();
    void NBudgetClick();
    void NContractsClick();
    void N18Click();
    void N25Click();
    void N20Click();
    void N22Click();
    void N24Click();
    void NBackupClick();
    void NShareClick();
    void NUploadClick();
    void NSaveLocalClick();
    void NRecycleBinClick();
    void NHistoryClick();
    void CascadeWindowsClick();
    void TileWindowsClick();
    void CloseAllWindowsClick();

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void createWorkspace();
    static void installLedgerListActions();
    void FormResize();
    void openMenu(QMenu* menu);
    // Closes the windows and lets change() point the connection elsewhere; false when
    // a window stayed open (nothing changed then).
    bool turnLedger(const std::function<void()>& change);

    QMdiArea* m_workspace = nullptr;
    QLabel* m_Image3 = nullptr;
    QLabel* m_ledgerName = nullptr;
    QHash<QString, QAction*> m_actions;
    QDialog* m_aboutBox = nullptr;
    QDialog* m_helpDialog = nullptr;
    WindowMenu* m_windowMenu = nullptr;
};
