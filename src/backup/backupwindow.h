#pragma once

#include "backupstore.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;

// The window "备份与恢复": the copies in the backup folder with their date, time,
// size and entry counts, and the commands to back up now, restore the chosen copy
// and open the folder. A damaged or foreign file is listed but cannot be restored.
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
    void refresh();
    BackupStore store() const;
    bool closeOtherWindows();

    QLabel* m_folderLabel = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_backUpButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
    QPushButton* m_folderButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    QVector<BackupStore::Copy> m_copies;
    int m_busyMilliseconds = 5000;
};

extern QPointer<BackupWindow> BackupForm;
