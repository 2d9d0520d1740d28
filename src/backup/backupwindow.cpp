#include "backupwindow.h"

#include "backupprogress.h"
#include "copychecker.h"
#include "database.h"
#include "dberror.h"
#include "frame.h"
#include "ledgerrestore.h"
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
#include <QToolButton>
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

// Copies made within one minute differ in their seconds.
QString takenText(const BackupStore::Copy& copy) {
    return copy.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

    m_checkLabel = new QLabel(this);
    m_checkLabel->setObjectName(QStringLiteral("CheckLabel"));
    layout->addWidget(m_checkLabel);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text, Pictures::Button picture) {
        QToolButton* b = WindowLook::pictureButton(this, name, text, picture);
        buttons->addWidget(b);
        return b;
    };
    m_backUpButton = button("BackUpButton", QStringLiteral("立即备份"), Pictures::Button::Save);
    m_restoreButton = button("RestoreButton", QStringLiteral("恢复"), Pictures::Button::Import);
    m_folderButton = button("FolderButton", QStringLiteral("打开备份文件夹"), Pictures::Button::Detail);
    buttons->addStretch();
    m_exitButton = button("ExitButton", QStringLiteral("退出"), Pictures::Button::Exit);
    layout->addLayout(buttons);

    connect(m_backUpButton, &QToolButton::clicked, this, &BackupWindow::backUpNow);
    connect(m_restoreButton, &QToolButton::clicked, this, &BackupWindow::restoreChosen);
    connect(m_folderButton, &QToolButton::clicked, this, &BackupWindow::openFolder);
    connect(m_exitButton, &QToolButton::clicked, this, &QWidget::close);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_choosing)
            m_chooseNewestIntact = false; // the user chose
        chosenChanged();
    });
}

void BackupWindow::placeInFrame() {
    resize(620, 380);
    Frame::addChild(this);
    Frame::outerWindow(this)->resize(640, 420);
    Frame::centreOnMainWindow(this);
}

BackupStore BackupWindow::store() const {
    return BackupStore::ofProgram();
}

// Reads the folder afresh; the list is never kept beyond what the files say. Rows
// of copies checked before show their result at once, the others when checked.
void BackupWindow::refresh(const QString& select) {
    delete m_checker.data();
    const BackupStore backups = store();
    m_folderLabel->setText(QStringLiteral("备份文件夹：%1").arg(QDir::toNativeSeparators(backups.folder())));
    m_copies = backups.files();
    QVector<BackupStore::Copy> unchecked;
    for (BackupStore::Copy& copy : m_copies) {
        if (const std::optional<BackupStore::Copy> known = BackupStore::rememberedCheck(copy))
            copy = *known;
        else
            unchecked.append(copy);
    }
    m_choosing = true;
    m_list->clear();
    QTreeWidgetItem* chosen = nullptr;
    for (const BackupStore::Copy& copy : std::as_const(m_copies)) {
        auto* item = new QTreeWidgetItem(m_list);
        fillRow(item, copy);
        if (!select.isEmpty() && copy.path == select)
            chosen = item;
    }
    m_list->setCurrentItem(chosen);
    m_choosing = false;
    m_chooseNewestIntact = !chosen;
    chooseNewestIntact();
    chosenChanged();
    m_checkLabel->clear();
    if (!unchecked.isEmpty()) {
        m_checkLabel->setText(QStringLiteral("正在检查备份…"));
        m_checker = new CopyChecker(unchecked, this);
        connect(m_checker, &CopyChecker::checked, this, &BackupWindow::showCheck);
        connect(m_checker, &CopyChecker::finished, m_checkLabel, &QLabel::clear);
    }
}

void BackupWindow::fillRow(QTreeWidgetItem* item, const BackupStore::Copy& copy) {
    const bool intact = copy.checked && copy.intact;
    item->setText(0, copy.taken.toString(QStringLiteral("yyyy-MM-dd")));
    item->setText(1, copy.taken.toString(QStringLiteral("HH:mm:ss")));
    item->setText(2, sizeText(copy.size));
    item->setText(3, intact ? QString::number(copy.ledgerEntries) : QString());
    item->setText(4, intact ? QString::number(copy.diaryEntries) : QString());
    item->setText(5, !copy.checked ? QStringLiteral("检查中")
                     : intact      ? QStringLiteral("完好")
                                   : QStringLiteral("已损坏"));
    item->setToolTip(5, copy.checked && !intact ? copy.fileName + QLatin1Char('\n') + copy.problem
                                                : copy.fileName);
    for (int column : {2, 3, 4})
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
}

void BackupWindow::showCheck(const BackupStore::Copy& copy, int done, int total) {
    m_checkLabel->setText(QStringLiteral("正在检查备份（%1/%2）…").arg(done).arg(total));
    for (int row = 0; row < m_copies.size(); ++row) {
        if (m_copies[row].path == copy.path) {
            m_copies[row] = copy;
            fillRow(m_list->topLevelItem(row), copy);
        }
    }
    chooseNewestIntact();
    chosenChanged();
}

// Until someone chose, the newest copy that can be restored is chosen, as soon as
// every newer one is known to be damaged.
void BackupWindow::chooseNewestIntact() {
    if (!m_chooseNewestIntact)
        return;
    for (int row = 0; row < m_copies.size(); ++row) {
        if (!m_copies[row].checked)
            return;
        if (m_copies[row].intact) {
            m_choosing = true;
            m_list->setCurrentItem(m_list->topLevelItem(row));
            m_choosing = false;
            m_chooseNewestIntact = false;
            return;
        }
    }
}

int BackupWindow::chosenRow() const {
    return m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
}

void BackupWindow::chosenChanged() {
    const int row = chosenRow();
    m_restoreButton->setEnabled(row >= 0 && m_copies[row].checked && m_copies[row].intact);
}

void BackupWindow::backUpNow() {
    const BackupStore backups = store();
    QString copy;
    try {
        BackgroundWork::run(this, BackupStore::stageText(BackupStore::Stage::Copying),
                            [&](const BackgroundWork::Report& report) {
                                copy = backups.makeBackup(m_busyMilliseconds, progressShownBy(report));
                            });
    } catch (const DbError& error) {
        refresh();
        Messages::error(this, QStringLiteral("备份没有成功：%1").arg(error.message()));
        return;
    }
    refresh(copy);
    Messages::information(this, QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(copy)));
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
    const int row = chosenRow();
    if (row < 0)
        return;
    const BackupStore::Copy chosen = m_copies[row];
    if (!chosen.checked || !chosen.intact) {
        Messages::warning(this, QStringLiteral("这个备份已损坏，不能用来恢复。"));
        return;
    }
    if (store().isServer()) {
        Messages::information(this, BackupStore::serverRestoreRefusal());
        return;
    }
    const QString ledger = Database::instance().filePath();
    BackupStore::Copy current;
    BackgroundWork::run(this, BackupStore::stageText(BackupStore::Stage::Checking),
                        [&](const BackgroundWork::Report&) { current = BackupStore::inspect(ledger, false, true); });
    const QString currentText =
        current.intact ? countsText(current) : QStringLiteral("无法读取（%1）").arg(current.problem);
    const QString question =
        QStringLiteral(
            "用 %1 的备份（%2）替换当前账簿（%3）吗?\n\n恢复前会先备份当前账簿，需要时可以再恢复回来；"
            "所有打开的窗口都会关闭。")
            .arg(takenText(chosen), countsText(chosen), currentText);
    if (!Messages::ask(this, question))
        return;

    // The ledger is locked before any window is closed: a restore that cannot go
    // ahead leaves every window as it was.
    LedgerRestore restore(store(), chosen.path);
    QString former;
    try {
        BackgroundWork::run(this, BackupStore::stageText(BackupStore::Stage::Checking),
                            [&](const BackgroundWork::Report& report) {
                                restore.lock(m_busyMilliseconds, progressShownBy(report));
                            });
        if (!closeOtherWindows()) {
            Messages::warning(this, QStringLiteral("有窗口没有关闭，没有恢复。"));
            return;
        }
        Database::instance().close();
        BackgroundWork::run(this, BackupStore::stageText(BackupStore::Stage::Copying),
                            [&](const BackgroundWork::Report& report) {
                                former = restore.replace(progressShownBy(report));
                            });
    } catch (const DbError& error) {
        refresh();
        Messages::error(this, QStringLiteral("恢复没有成功：%1").arg(error.message()));
        return;
    }
    try {
        Database::instance().connection();
    } catch (const DbError&) {
        // The next window that reads tries again and reports it its own way.
    }
    refresh(former);
    Messages::information(this, QStringLiteral("已恢复 %1 的备份。恢复前的账簿保存在 %2")
                                    .arg(takenText(chosen), QDir::toNativeSeparators(former)));
}

// Every other window reading the ledger is closed (the child windows and the
// free-standing ledger editor), so none holds rows of the file being replaced.
bool BackupWindow::closeOtherWindows() {
    return Frame::closeLedgerWindows(this);
}

void BackupWindow::closeEvent(QCloseEvent* event) {
    if (BackupForm == this)
        BackupForm = nullptr;
    event->accept();
}
