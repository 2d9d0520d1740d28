#include "backupwindow.h"

#include "database.h"
#include "dberror.h"
#include "frame.h"
#include "messages.h"
#include "pictures.h"
#include "windowlook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QPointer<BackupWindow> BackupForm;

namespace {

QString sizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString countsText(const BackupStore::Copy& copy) {
    return QStringLiteral("账目 %1 条、日记 %2 条").arg(copy.ledgerEntries).arg(copy.diaryEntries);
}

} // namespace

BackupWindow::BackupWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BackupForm"));
    buildUi();
    placeInFrame();
    refresh();
}

void BackupWindow::buildUi() {
    setWindowTitle(QStringLiteral("备份与恢复"));
    setWindowIcon(Pictures::icon(2));
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);

    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("FolderLabel"));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_folderLabel);

    auto* caption = new QLabel(QStringLiteral("备份列表"), this);
    layout->addWidget(caption);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("BackupList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("大小"),
                             QStringLiteral("账目"), QStringLiteral("日记"), QStringLiteral("状态")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    caption->setBuddy(m_list);
    m_list->setAccessibleName(caption->text());
    layout->addWidget(m_list, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    m_backUpButton = button("BackUpButton", QStringLiteral("立即备份"));
    m_restoreButton = button("RestoreButton", QStringLiteral("恢复"));
    m_folderButton = button("FolderButton", QStringLiteral("打开备份文件夹"));
    buttons->addStretch();
    m_exitButton = button("ExitButton", QStringLiteral("退出"));
    layout->addLayout(buttons);

    connect(m_backUpButton, &QPushButton::clicked, this, &BackupWindow::backUpNow);
    connect(m_restoreButton, &QPushButton::clicked, this, &BackupWindow::restoreChosen);
    connect(m_folderButton, &QPushButton::clicked, this, &BackupWindow::openFolder);
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &BackupWindow::chosenChanged);
}

void BackupWindow::placeInFrame() {
    resize(620, 380);
    Frame::addChild(this);
    Frame::outerWindow(this)->resize(640, 420);
    Frame::centreOnMainWindow(this);
}

BackupStore BackupWindow::store() const {
    return BackupStore(Database::instance().filePath());
}

// Reads the folder afresh; the list is never kept beyond what the files say.
void BackupWindow::refresh() {
    const BackupStore backups = store();
    m_folderLabel->setText(QStringLiteral("备份文件夹：%1").arg(QDir::toNativeSeparators(backups.folder())));
    m_copies = backups.list();
    m_list->clear();
    for (const BackupStore::Copy& copy : std::as_const(m_copies)) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, copy.taken.toString(QStringLiteral("yyyy-MM-dd")));
        item->setText(1, copy.taken.toString(QStringLiteral("HH:mm")));
        item->setText(2, sizeText(copy.size));
        item->setText(3, copy.intact ? QString::number(copy.ledgerEntries) : QString());
        item->setText(4, copy.intact ? QString::number(copy.diaryEntries) : QString());
        item->setText(5, copy.intact ? QStringLiteral("完好") : QStringLiteral("已损坏"));
        item->setToolTip(5, copy.intact ? copy.fileName : copy.fileName + QLatin1Char('\n') + copy.problem);
        for (int column : {2, 3, 4})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int row = 0; row < m_copies.size(); ++row) {
        if (m_copies[row].intact) { // the newest copy that can be restored
            m_list->setCurrentItem(m_list->topLevelItem(row));
            break;
        }
    }
    chosenChanged();
}

void BackupWindow::chosenChanged() {
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    m_restoreButton->setEnabled(row >= 0 && m_copies[row].intact);
}

void BackupWindow::backUpNow() {
    try {
        const QString copy = store().makeBackup(m_busyMilliseconds);
        refresh();
        Messages::information(this, QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(copy)));
    } catch (const DbError& error) {
        refresh();
        Messages::error(this, QStringLiteral("备份没有成功：%1").arg(error.message()));
    }
}

void BackupWindow::openFolder() {
    const QString folder = store().folder();
    if (!QDir(folder).exists()) {
        Messages::information(this,
                              QStringLiteral("还没有备份文件夹：%1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    Q_EMIT folderOpenRequested(QUrl::fromLocalFile(folder));
}

void BackupWindow::restoreChosen() {
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    if (row < 0)
        return;
    const BackupStore::Copy chosen = m_copies[row];
    if (!chosen.intact) {
        Messages::warning(this, QStringLiteral("这个备份已损坏，不能用来恢复。"));
        return;
    }
    const BackupStore::Copy current = BackupStore::inspect(Database::instance().filePath(), false, true);
    const QString currentText =
        current.intact ? countsText(current) : QStringLiteral("无法读取（%1）").arg(current.problem);
    const QString question =
        QStringLiteral(
            "用 %1 的备份（%2）替换当前账簿（%3）吗?\n\n恢复前会先备份当前账簿，需要时可以再恢复回来；"
            "所有打开的窗口都会关闭。")
            .arg(chosen.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")), countsText(chosen), currentText);
    if (!Messages::ask(this, question))
        return;
    if (!closeOtherWindows()) {
        Messages::warning(this, QStringLiteral("有窗口没有关闭，没有恢复。"));
        return;
    }
    Database::instance().close();
    try {
        const QString former = store().restore(chosen.path, m_busyMilliseconds);
        try {
            Database::instance().connection();
        } catch (const DbError&) {
            // The next window that reads tries again and reports it its own way.
        }
        refresh();
        Messages::information(this, QStringLiteral("已恢复 %1 的备份。恢复前的账簿保存在 %2")
                                        .arg(chosen.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                             QDir::toNativeSeparators(former)));
    } catch (const DbError& error) {
        refresh();
        Messages::error(this, QStringLiteral("恢复没有成功：%1").arg(error.message()));
    }
}

// Every other window reading the ledger is closed (the child windows and the
// free-standing ledger editor), so none holds rows of the file being replaced.
bool BackupWindow::closeOtherWindows() {
    QWidget* own = Frame::outerWindow(this);
    if (QMdiArea* area = Frame::workspace()) {
        for (QMdiSubWindow* sub : area->subWindowList()) {
            if (sub != own)
                sub->close();
        }
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != own && window != Frame::mainWindow() && window->isVisible() &&
            !qobject_cast<QDialog*>(window))
            window->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != own && window != Frame::mainWindow() && window->isVisible() &&
            !qobject_cast<QDialog*>(window))
            return false;
    }
    if (QMdiArea* area = Frame::workspace()) {
        for (QMdiSubWindow* sub : area->subWindowList()) {
            if (sub != own && sub->isVisible())
                return false;
        }
    }
    return true;
}

void BackupWindow::closeEvent(QCloseEvent* event) {
    if (BackupForm == this)
        BackupForm = nullptr;
    event->accept();
}
