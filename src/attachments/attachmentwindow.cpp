#include "attachmentwindow.h"

#include "attachmentfilename.h"
#include "attachmentintake.h"
#include "attachmentlistmodel.h"
#include "attachmentopener.h"
#include "attachmentpictures.h"
#include "attachmenttable.h"
#include "attachmentthumbnails.h"
#include "besidegui.h"
#include "contractattachments.h"
#include "database.h"
#include "dberror.h"
#include "filedialogs.h"
#include "frame.h"
#include "messages.h"
#include "query.h"
#include "sqlconnection.h"
#include "sqltexts.h"
#include "windowlook.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMimeData>
#include <QProgressDialog>
#include <QToolButton>
#include <QSaveFile>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Held as QObject: a window's destroyed() comes while it is no longer an AttachmentWindow.
QHash<AttachmentOwner, QPointer<QObject>>& openWindows() {
    static QHash<AttachmentOwner, QPointer<QObject>> windows;
    return windows;
}

// What the window says of its owner, by kind.
struct OwnerTexts {
    QString missing; // when asked to open for an owner that is gone
    QString gone;    // when the owner went while the window was open
};

const OwnerTexts& textsOf(AttachmentOwner::Kind kind) {
    static const OwnerTexts entry{QStringLiteral("这条账目已不存在。"),
                                  QStringLiteral("这条账目已被删除,附件窗口将关闭。")};
    static const OwnerTexts contract{QStringLiteral("这个合同已不存在。"),
                                     QStringLiteral("这个合同已被删除,附件窗口将关闭。")};
    static const OwnerTexts stage{QStringLiteral("这个付款阶段已不存在。"),
                                  QStringLiteral("这个付款阶段已被删除,附件窗口将关闭。")};
    switch (kind) {
    case AttachmentOwner::Kind::Contract:
        return contract;
    case AttachmentOwner::Kind::Stage:
        return stage;
    case AttachmentOwner::Kind::Entry:
        break;
    }
    return entry;
}

// Screen readers meet the window as a window named by its title, as they meet the
// program's other windows, rather than as a plain pane.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object) {
    if (className == QLatin1String("AttachmentWindow") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// The attachment's own type first, so that a name typed without a suffix gets its
// suffix before the dialog asks whether to replace a file.
QString saveFilter(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    const bool plain = !suffix.isEmpty() && std::all_of(suffix.cbegin(), suffix.cend(),
                                                        [](QChar c) { return c.isLetterOrNumber(); });
    const QString all = QStringLiteral("所有文件|*");
    return plain ? QStringLiteral("%1 文件|*.%1|").arg(suffix) + all : all;
}

QString quoted(const QString& name) {
    return QStringLiteral("“%1”").arg(name);
}

QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

// The entry's name and date, or the contract's and stage's names, as the window's
// heading; empty when the owner is gone.
QString ownerHeading(const AttachmentOwner& owner) {
    if (owner.kind != AttachmentOwner::Kind::Entry) {
        const QStringList names = ContractAttachments::ownerNames(SqlConnection::program(), owner);
        if (names.isEmpty())
            return {};
        return names.size() == 1 ? QStringLiteral("合同:%1").arg(names[0])
                                 : QStringLiteral("合同:%1    付款阶段:%2").arg(names[0], names[1]);
    }
    const qint64 entryKey = owner.key;
    Query query;
    query.setSql(SqlTexts::ledgerEntry(entryKey));
    query.open();
    if (query.rowCount() == 0)
        return {};
    return QStringLiteral("名称:%1    日期:%2")
        .arg(query.text(QStringLiteral("NAMES")).trimmed(), query.text(QStringLiteral("DATES")));
}

} // namespace

AttachmentWindow* AttachmentWindow::openFor(qint64 entryKey) {
    return openFor(AttachmentOwner::entry(entryKey));
}

AttachmentWindow* AttachmentWindow::openFor(const AttachmentOwner& owner) {
    auto* window = static_cast<AttachmentWindow*>(openWindows().value(owner).data());
    return window && !window->m_closed ? window : nullptr;
}

void AttachmentWindow::closeFor(const AttachmentOwner& owner) {
    if (AttachmentWindow* window = openFor(owner)) {
        window->m_closing = true;
        window->close();
    }
}

void AttachmentWindow::closeEvent(QCloseEvent* event) {
    m_closed = true;
    QWidget::closeEvent(event);
}

AttachmentWindow* AttachmentWindow::showFor(qint64 entryKey, QWidget* parent) {
    return showFor(AttachmentOwner::entry(entryKey), parent);
}

AttachmentWindow* AttachmentWindow::showFor(const AttachmentOwner& owner, QWidget* parent) {
    if (AttachmentWindow* open = openFor(owner)) {
        open->raise();
        open->activateWindow();
        return open;
    }
    try {
        const QString heading = ownerHeading(owner);
        if (heading.isEmpty()) {
            Messages::information(parent, textsOf(owner.kind).missing);
            return nullptr;
        }
        auto* window = new AttachmentWindow(owner, heading, parent ? parent : Frame::mainWindow());
        Frame::centreOnMainWindow(window);
        window->show();
        return window;
    } catch (const DbError& error) {
        Messages::error(parent, QStringLiteral("无法读取附件:") + error.message());
    }
    return nullptr;
}

AttachmentWindow::AttachmentWindow(const AttachmentOwner& owner, const QString& heading, QWidget* parent)
    : QWidget(parent, Qt::Window), m_owner(owner), m_model(new AttachmentListModel(this)) {
    m_model->load(owner); // throws before anything is shown
    static const bool accessible = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(accessible)

    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("AttachmentWindow"));
    setWindowTitle(QStringLiteral("附件"));
    WindowLook::apply(this);
    setAccessibleName(windowTitle());
    setWindowIcon(AttachmentPictures::paperClip());
    setAcceptDrops(true);
    resize(660, 480);

    auto* layout = new QVBoxLayout(this);
    m_entryLabel = new QLabel(heading);
    m_entryLabel->setObjectName(QStringLiteral("EntryLabel"));
    layout->addWidget(m_entryLabel);

    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("AttachmentList"));
    m_list->setAccessibleName(QStringLiteral("附件"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setIconSize(QSize(AttachmentListModel::thumbnailSide, AttachmentListModel::thumbnailSide));
    m_list->setGridSize(
        QSize(AttachmentListModel::thumbnailSide + 48, AttachmentListModel::thumbnailSide + 56));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_list->setAcceptDrops(false); // drops from the file manager go to the window
    m_list->viewport()->setAcceptDrops(false);
    m_list->setModel(m_model);
    layout->addWidget(m_list, 1);

    auto* row = new QHBoxLayout;
    m_addButton = addButton("AddButton", QStringLiteral("添加"), Pictures::Button::Add, &AttachmentWindow::AddClick);
    m_openButton = addButton("OpenButton", QStringLiteral("打开"), Pictures::Button::Detail, &AttachmentWindow::OpenClick);
    m_saveAsButton =
        addButton("SaveAsButton", QStringLiteral("另存为"), Pictures::Button::Save, &AttachmentWindow::SaveAsClick);
    m_deleteButton =
        addButton("DeleteButton", QStringLiteral("删除"), Pictures::Button::Delete, &AttachmentWindow::DeleteClick);
    for (QToolButton* button : {m_addButton, m_openButton, m_saveAsButton, m_deleteButton})
        row->addWidget(button);
    row->addStretch();
    m_totalLabel = new QLabel;
    m_totalLabel->setObjectName(QStringLiteral("TotalLabel"));
    row->addWidget(m_totalLabel);
    layout->addLayout(row);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AttachmentWindow::showSelectionState);
    connect(m_list, &QListView::activated, this, &AttachmentWindow::OpenClick);
    // Queued, so the window that deleted the entry finishes its command first.
    connect(
        &AttachmentNotices::instance(), &AttachmentNotices::entryDeleted, this,
        [this](qint64 key) {
            if (m_owner == AttachmentOwner::entry(key))
                ownerGone();
        },
        Qt::QueuedConnection);
    openWindows().insert(owner, this);
    // A window closed and not yet destroyed no longer stands for its owner.
    connect(this, &QObject::destroyed, [owner, self = static_cast<QObject*>(this)] {
        if (openWindows().value(owner).isNull() || openWindows().value(owner).data() == self)
            openWindows().remove(owner);
    });
    showTotal();
}

QToolButton* AttachmentWindow::addButton(const char* name, const QString& caption, Pictures::Button picture,
                                         void (AttachmentWindow::*handler)()) {
    QToolButton* button = WindowLook::pictureButton(this, name, caption, picture);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void AttachmentWindow::reload() {
    try {
        m_model->load(m_owner);
    } catch (const DbError& error) {
        Messages::error(this, QStringLiteral("无法读取附件:") + error.message());
    }
    showTotal();
}

void AttachmentWindow::showTotal() {
    m_totalLabel->setText(QStringLiteral("共 %1 个附件,合计 %2")
                              .arg(m_model->rowCount())
                              .arg(AttachmentListModel::sizeText(m_model->totalBytes())));
    showSelectionState();
}

void AttachmentWindow::showSelectionState() {
    const bool selected = selectedRow() >= 0;
    for (QToolButton* button : {m_openButton, m_saveAsButton, m_deleteButton})
        button->setEnabled(selected);
}

int AttachmentWindow::selectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool AttachmentWindow::ownerStillThere() {
    bool there = true;
    try {
        there = AttachmentTable::ownerExists(Database::instance().connection(), m_owner);
    } catch (const DbError&) {
        // An unreadable file is reported by the command itself.
    }
    if (!there)
        ownerGone();
    return there;
}

void AttachmentWindow::ownerGone() {
    if (m_closing)
        return;
    m_closing = true;
    Messages::information(this, textsOf(m_owner.kind).gone);
    close();
}

// ----- commands ----------------------------------------------------------------

void AttachmentWindow::AddClick() {
    addFiles(FileDialogs::openFileNames(this, QStringLiteral("添加附件"), QStringLiteral("所有文件|*")));
}

void AttachmentWindow::addFiles(const QStringList& paths) {
    if (paths.isEmpty() || !ownerStillThere())
        return;
    const QPointer<AttachmentWindow> self(this);
    // Shown only when the files take more than a second; a child, so it goes with the window.
    const QPointer<QProgressDialog> progress =
        new QProgressDialog(QStringLiteral("正在添加附件…"), QString(), 0, int(paths.size()), this);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(1000);
    const auto done = qScopeGuard([&progress] { delete progress.data(); });
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        if (progress)
            progress->setValue(int(i));
        // Reading and checking up to 20 MB, and scaling a photo down, take longer
        // than a window may stand still.
        AttachmentIntake intake = besideGui([path] { return AttachmentIntake::read(path); });
        if (!self || m_closed)
            return; // closed meanwhile
        const QString name = QFileInfo(path).fileName();
        if (intake.status() == AttachmentIntake::Status::CannotRead) {
            Messages::error(this, QStringLiteral("无法读取文件%1:%2").arg(quoted(name), intake.failure()));
            continue;
        }
        if (intake.status() == AttachmentIntake::Status::TooLarge) {
            Messages::error(this, QStringLiteral("文件%1超过 20 MB,不能作为附件保存。").arg(quoted(name)));
            continue;
        }
        if (intake.isLargeImage() &&
            Messages::ask(this, QStringLiteral("图片%1有 %2×%3 像素。\r\n\r\n要缩小到 %4 像素的 JPEG "
                                               "再保存吗?(选“否”保存原图)")
                                    .arg(quoted(name))
                                    .arg(intake.imageSize().width())
                                    .arg(intake.imageSize().height())
                                    .arg(AttachmentIntake::scaledSide))) {
            intake = besideGui([intake]() mutable {
                intake.scaleDown(); // the original is kept should this fail
                return intake;
            });
            if (!self || m_closed)
                return;
        }
        try {
            const NewAttachment& added = intake.attachment();
            const qint64 key = AttachmentTable::add(Database::instance().connection(), m_owner, added);
            const qint64 bytes = added.data.size();
            AttachmentThumbnails::instance().insert(AttachmentThumbnails::currentFile(),
                                                    {key, entryKey(), added.name, added.mime, bytes, bytes, {}},
                                                    intake.preview());
        } catch (const DbError& error) {
            if (!ownerStillThere())
                return;
            Messages::error(this, QStringLiteral("附件%1没能保存:%2").arg(quoted(name), error.message()));
        }
    }
    reload();
}

bool AttachmentWindow::selectedContent(int& row, QByteArray& content) {
    row = selectedRow();
    if (row < 0 || !ownerStillThere())
        return false;
    const QString name = m_model->info(row).name;
    if (m_model->isDamaged(row)) {
        Messages::error(this, QStringLiteral("附件%1已损坏,不能打开或另存。").arg(quoted(name)));
        return false;
    }
    try {
        content = AttachmentTable::content(Database::instance().connection(), m_model->info(row).key);
        return true;
    } catch (const DbError& error) {
        Messages::error(this, QStringLiteral("无法读取附件%1:%2").arg(quoted(name), error.message()));
        return false;
    }
}

void AttachmentWindow::OpenClick() {
    int row = -1;
    QByteArray content;
    if (!selectedContent(row, content))
        return;
    const QString name = m_model->info(row).name;
    const auto tell = [window = QPointer<AttachmentWindow>(this), name](const QString& failure) {
        Messages::error(window, QStringLiteral("无法打开附件%1:%2").arg(quoted(name), failure));
    };
    QString failure;
    if (AttachmentOpener::open(m_model->info(row).key, name, content, &failure, tell).isEmpty())
        tell(failure);
}

void AttachmentWindow::SaveAsClick() {
    int row = -1;
    QByteArray content;
    if (!selectedContent(row, content))
        return;
    const QString proposed = AttachmentFileName::safe(m_model->info(row).name);
    const QString path =
        FileDialogs::saveFileName(this, QStringLiteral("另存为"), saveFilter(proposed), proposed);
    if (path.isEmpty())
        return;
    // Written whole under a temporary name and moved into place, or not at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        Messages::error(this, QStringLiteral("无法保存文件%1:%2").arg(quoted(path), file.errorString()));
}

void AttachmentWindow::DeleteClick() {
    const int row = selectedRow();
    if (row < 0 || !ownerStillThere())
        return;
    if (!Messages::ask(this, QStringLiteral("你确定要删除附件%1吗?").arg(quoted(m_model->info(row).name))))
        return;
    try {
        AttachmentTable::remove(Database::instance().connection(), m_model->info(row).key);
    } catch (const DbError& error) {
        Messages::error(this, QStringLiteral("附件没能删除:") + error.message());
    }
    reload();
}

// ----- drag and drop ---------------------------------------------------------------

void AttachmentWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void AttachmentWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    addFiles(paths);
}
