#pragma once

#include "backupstore.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

class CopyChecker;
class QLabel;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// The window "备份与恢复": the copies in the backup folder with their date, time,
// size and entry counts, and the commands to back up now, restore the chosen copy
// and open the folder. A damaged or foreign file is listed but cannot be restored.
//
// The folder is listed at once; each copy is checked on another thread and its row
// filled in when the check is done. Backing up and restoring run on another thread
// too, with a progress dialog.
class BackupWindow : public QWidget {
    Q_OBJECT
public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // Tests shorten the wait for a ledger that another program holds locked.
    void setBusyMilliseconds(int milliseconds) { m_busyMilliseconds = milliseconds; }

Q_SIGNALS:
    // The desktop's file manager is to show the backup folder.
    void folderOpenRequested(const QUrl& folder);

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void backUpNow();
    void restoreChosen();
    void openFolder();
    void chosenChanged();

private:
    void buildUi();
    void placeInFrame();
    // Lists the folder afresh; select: the copy to choose, else the newest intact one.
    void refresh(const QString& select = {});
    void showCheck(const BackupStore::Copy& copy, int done, int total);
    void fillRow(QTreeWidgetItem* item, const BackupStore::Copy& copy);
    void chooseNewestIntact();
    int chosenRow() const;
    BackupStore store() const;
    bool closeOtherWindows();

    QLabel* m_folderLabel = nullptr;
    QLabel* m_checkLabel = nullptr;
    QTreeWidget* m_list = nullptr;
    QToolButton* m_backUpButton = nullptr;
    QToolButton* m_restoreButton = nullptr;
    QToolButton* m_folderButton = nullptr;
    QToolButton* m_exitButton = nullptr;
    QVector<BackupStore::Copy> m_copies;
    QPointer<CopyChecker> m_checker;
    bool m_chooseNewestIntact = false; // until the user or a command chose a copy
    bool m_choosing = false;
    int m_busyMilliseconds = 5000;
};

extern QPointer<BackupWindow> BackupForm;
