#pragma once

#include "attachmenttable.h"
#include "pictures.h"

#include <QPointer>
#include <QWidget>

class AttachmentListModel;
class QLabel;
class QListView;
class QToolButton;

// The window "附件" of one ledger entry, contract or payment stage: its attachments
// as thumbnails, with 添加
// (several files from the file dialog, or dropped from the file manager), 打开 (in
// the desktop's viewer), 另存为 and 删除, and their total size.
//
// Each owner has at most one such window. Opening it reads the file and changes
// nothing; the tables of attachments are created by the first 添加. When the owner is
// deleted meanwhile, the window says so and closes.
class AttachmentWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the entry's window, or brings its open window to the front. An entry
    // that is gone opens nothing: the user is told so.
    static AttachmentWindow* showFor(qint64 entryKey, QWidget* parent);
    static AttachmentWindow* openFor(qint64 entryKey);
    static AttachmentWindow* showFor(const AttachmentOwner& owner, QWidget* parent);
    static AttachmentWindow* openFor(const AttachmentOwner& owner);
    // Closes the owner's open window without a word: its owner was deleted here.
    static void closeFor(const AttachmentOwner& owner);

    const AttachmentOwner& owner() const { return m_owner; }
    qint64 entryKey() const { return m_owner.kind == AttachmentOwner::Kind::Entry ? m_owner.key : 0; }
    QListView* listView() const { return m_list; }
    AttachmentListModel* model() const { return m_model; }

    // Stores the files one by one, with the checks and questions of 添加.
    void addFiles(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private Q_SLOTS:
    void AddClick();
    void OpenClick();
    void SaveAsClick();
    void DeleteClick();

private:
    AttachmentWindow(const AttachmentOwner& owner, const QString& heading, QWidget* parent);
    QToolButton* addButton(const char* name, const QString& caption, Pictures::Button picture,
                           void (AttachmentWindow::*handler)());
    void reload();
    void showTotal(); // and the buttons the selection allows
    void showSelectionState();
    int selectedRow() const;
    // The selected attachment's content, or none after telling the user why.
    bool selectedContent(int& row, QByteArray& content);
    // False, after saying so and closing, when the owner is gone.
    bool ownerStillThere();
    void ownerGone();

    AttachmentOwner m_owner;
    bool m_closing = false; // telling that the owner is gone
    bool m_closed = false;
    AttachmentListModel* m_model;
    QLabel* m_entryLabel;
    QListView* m_list;
    QLabel* m_totalLabel;
    QToolButton* m_addButton;
    QToolButton* m_openButton;
    QToolButton* m_saveAsButton;
    QToolButton* m_deleteButton;
};
