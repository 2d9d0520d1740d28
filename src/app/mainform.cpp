#include "mainform.h"

#include "backupwindow.h"
#include "budgetwarning.h"
#include "budgetwindow.h"
#include "categoryeditor.h"
#include "categorystatswindow.h"
#include "commands.h"
#include "connectdialog.h"
#include "contractlinking.h"
#include "contractwindow.h"
#include "database.h"
#include "datestatswindow.h"
#include "diarybrowser.h"
#include "expensemodewindow.h"
#include "entryhistory.h"
#include "frame.h"
#include "historywindow.h"
#include "importwindow.h"
#include "ledgermoves.h"
#include "ledgerbrowser.h"
#include "ledgerlistactions.h"
#include "ledgerswitch.h"
#include "locationstatswindow.h"
#include "messages.h"
#include "outersize.h"
#include "pictures.h"
#include "projecteditor.h"
#include "projectstatswindow.h"
#include "recyclebinwindow.h"
#include "urlopener.h"
#include "windowmenu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("岚墨家装账簿"));
    setWindowIcon(Pictures::icon(10));
    createWorkspace();
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    OuterSize::apply(this, QSize(874, 598)); // when restored
    Frame::setMainWindow(this, m_workspace);
    BudgetWarning::install();
    installLedgerListActions();
}

// The ledger list's context menu offers what later features do with an entry.
void TMainForm::installLedgerListActions() {
    static const bool installed = [] {
        LedgerListActions::add(&ContractLinking::forLedgerList);
        LedgerListActions::add(&EntryHistory::forLedgerList);
        return true;
    }();
    Q_UNUSED(installed);
}

void TMainForm::createWorkspace() {
    m_workspace = new QMdiArea(this);
    m_workspace->setObjectName(QStringLiteral("ClientArea"));
    m_workspace->setBackground(Qt::black);
    m_workspace->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_workspace->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_workspace);

    m_Image3 = new QLabel(m_workspace->viewport());
    m_Image3->setObjectName(QStringLiteral("Image3"));
    m_Image3->setPixmap(Pictures::logo());
    m_Image3->setAttribute(Qt::WA_TranslucentBackground);
    m_Image3->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_Image3->setAccessibleName(QStringLiteral("岚墨家装账簿标志"));
    m_Image3->resize(350, 350);
    m_Image3->lower();
}

void TMainForm::createActions() {
    using Handler = void (TMainForm::*)();
    const QHash<QString, Handler> handlers = {
        {QStringLiteral("N3"), &TMainForm::N3Click},           {QStringLiteral("N15"), &TMainForm::N15Click},
        {QStringLiteral("N6"), &TMainForm::N6Click},           {QStringLiteral("N8"), &TMainForm::N8Click},
        {QStringLiteral("N10"), &TMainForm::N10Click},         {QStringLiteral("N27"), &TMainForm::N27Click},
        {QStringLiteral("N12"), &TMainForm::N12Click},         {QStringLiteral("N18"), &TMainForm::N18Click},
        {QStringLiteral("N25"), &TMainForm::N25Click},         {QStringLiteral("N20"), &TMainForm::N20Click},
        {QStringLiteral("N22"), &TMainForm::N22Click},         {QStringLiteral("N24"), &TMainForm::N24Click},
        {QStringLiteral("NBackup"), &TMainForm::NBackupClick}, {QStringLiteral("NBudget"), &TMainForm::NBudgetClick},
        {QStringLiteral("NContracts"), &TMainForm::NContractsClick},
        {QStringLiteral("NImport"), &TMainForm::NImportClick},
        {QStringLiteral("NShare"), &TMainForm::NShareClick},
        {QStringLiteral("NUpload"), &TMainForm::NUploadClick}, {QStringLiteral("NSaveLocal"), &TMainForm::NSaveLocalClick},
        {QStringLiteral("NRecycleBin"), &TMainForm::NRecycleBinClick},
        {QStringLiteral("NHistory"), &TMainForm::NHistoryClick},
        {QStringLiteral("CascadeWindows"), &TMainForm::CascadeWindowsClick}, {QStringLiteral("TileWindows"), &TMainForm::TileWindowsClick},
        {QStringLiteral("CloseAllWindows"), &TMainForm::CloseAllWindowsClick},
    };
    for (const Commands::Menu& menu : Commands::menus()) {
        for (const Commands::MenuItem& item : menu.items) {
            if (item.isSeparator())
                continue;
            const QString component = QString::fromLatin1(item.component);
            auto* action = new QAction(QString::fromUtf8(item.caption), this);
            action->setObjectName(component);
            action->setStatusTip(QString());
            action->setToolTip(QString::fromUtf8(item.hint));
            if (item.icon >= 0)
                action->setIcon(Pictures::icon(item.icon));
            if (item.shortcut) {
                action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            connect(action, &QAction::triggered, this, handlers.value(component));
            m_actions.insert(component, action);
        }
    }
}

void TMainForm::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const Commands::Menu& menu : Commands::menus()) {
        QMenu* m = bar->addMenu(QString::fromUtf8(menu.caption));
        m->setObjectName(QString::fromLatin1(menu.component));
        m->menuAction()->setObjectName(QString::fromLatin1(menu.component));
        for (const Commands::MenuItem& item : menu.items) {
            if (item.isSeparator())
                m->addSeparator()->setObjectName(QString::fromLatin1(item.component));
            else
                m->addAction(m_actions.value(QString::fromLatin1(item.component)));
        }
        // Alt and a letter opens the menu; the captions stay as they are, without
        // mnemonics. F10 opens the first menu.
        QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(menu.opener))};
        if (bar->actions().size() == 1)
            keys << QKeySequence(Qt::Key_F10);
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::ApplicationShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, m] { openMenu(m); });
        }
    }
    m_windowMenu = new WindowMenu(bar->actions().constLast()->menu(), m_workspace);
}

void TMainForm::openMenu(QMenu* menu) {
    activateWindow();
    menuBar()->setActiveAction(menu->menuAction());
}

void TMainForm::createToolBars() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setFixedHeight(29);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->toggleViewAction()->setEnabled(false);
    for (const Commands::ToolButton& entry : Commands::toolButtons()) {
        const QString name = QString::fromLatin1(entry.component);
        if (!entry.boundTo) {
            auto* gap = new QWidget(bar);
            gap->setObjectName(name);
            gap->setFixedWidth(entry.separatorWidth);
            bar->addWidget(gap);
            continue;
        }
        // Each button takes its item's caption, hint and icon; only some show the hint.
        QAction* item = m_actions.value(QString::fromLatin1(entry.boundTo));
        auto* button = new QToolButton(bar);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setIcon(item->icon());
        button->setToolTip(entry.tip == Commands::ToolButton::Hint ? item->toolTip() : item->text());
        button->setAccessibleName(item->text());
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, item, &QAction::trigger);
        bar->addWidget(button);
    }
}

void TMainForm::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(true);
    auto* designer = new QLabel(QStringLiteral("程序设计:林一木"), bar);
    designer->setObjectName(QStringLiteral("StatusPanel1"));
    designer->setFixedWidth(150);
    auto* version = new QLabel(QStringLiteral("ver 1.0 (2008.8)"), bar);
    version->setObjectName(QStringLiteral("StatusPanel2"));
    version->setMinimumWidth(50);
    bar->addWidget(designer);
    bar->addWidget(version, 1);
    // Which ledger is open: the file's name, or 用户@服务器/库 of a shared ledger.
    m_ledgerName = new QLabel(Database::instance().ledgerName(), bar);
    m_ledgerName->setObjectName(QStringLiteral("StatusPanel3"));
    m_ledgerName->setAccessibleName(QStringLiteral("账簿"));
    bar->addPermanentWidget(m_ledgerName);
}

void TMainForm::setDialogs(QDialog* aboutBox, QDialog* helpDialog) {
    m_aboutBox = aboutBox;
    m_helpDialog = helpDialog;
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

// The logo sits centred on the frame's outer size, 20 pixels above the middle; the
// coordinates are those of the frame's client area, the workspace below the menu bar
// and toolbar, used as they are even when negative.
void TMainForm::FormResize() {
    const QSize outer = frameGeometry().size();
    const int left = (outer.width() - m_Image3->width()) / 2;
    const int top = (outer.height() - m_Image3->height()) / 2 - 20;
    m_Image3->move(m_workspace->viewport()->mapFrom(m_workspace, QPoint(left, top)));
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the frame ends the program with every window it opened.
    m_workspace->closeAllSubWindows();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible() && !qobject_cast<QDialog*>(window))
            window->close();
    }
    event->accept();
}

// Window commands: each opens its window or brings the open one to the front.
void TMainForm::N3Click() {
    openOrFocus(Form3, [] { return new TForm3; });
}
void TMainForm::N15Click() {
    openOrFocus(Form1, [] { return new TForm1; });
}
void TMainForm::NImportClick() {
    openOrFocus(ImportForm, [] { return new ImportWindow; });
}
void TMainForm::N6Click() {
    openOrFocus(Form7, [] { return new TForm7; });
}
void TMainForm::N8Click() {
    openOrFocus(Form8, [] { return new TForm8; });
}
void TMainForm::N10Click() {
    openOrFocus(Form9, [] { return new TForm9; });
}
void TMainForm::N27Click() {
    openOrFocus(Form10, [] { return new TForm10; });
}
void TMainForm::N12Click() {
    openOrFocus(Form11, [] { return new TForm11; });
}
void TMainForm::NBudgetClick() {
    openOrFocus(BudgetForm, [] { return new BudgetWindow; });
}
void TMainForm::NRecycleBinClick() {
    openOrFocus(RecycleBinForm, [] { return new RecycleBinWindow; });
}

void TMainForm::NContractsClick() {
    openOrFocus(ContractForm, [] { return new ContractWindow; });
}
void TMainForm::N18Click() {
    openOrFocus(Form2, [] { return new TForm2; });
}

void TMainForm::N25Click() {
    openOrFocus(Form5, [] { return new TForm5; });
}

void TMainForm::N20Click() {
    if (m_helpDialog)
        m_helpDialog->exec();
}

void TMainForm::N22Click() {
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TMainForm::N24Click() {
    if (Messages::ask(this, QStringLiteral("你确定要退出吗?")))
        close();
}

void TMainForm::CascadeWindowsClick() {
    m_workspace->cascadeSubWindows();
}

void TMainForm::TileWindowsClick() {
    m_workspace->tileSubWindows();
}

void TMainForm::CloseAllWindowsClick() {
    m_workspace->closeAllSubWindows();
}

void TMainForm::NBackupClick() {
    openOrFocus(BackupForm, [] {
        auto* window = new BackupWindow;
        connect(window, &BackupWindow::folderOpenRequested,
                [](const QUrl& folder) { UrlOpener::open(folder); });
        return window;
    });
}

void TMainForm::NHistoryClick() {
    openOrFocus(HistoryForm, [] { return new HistoryWindow; });
}

void TMainForm::NShareClick() {
    const auto toServer = [this](const ServerAddress& address, const QString& password) {
        return turnLedger([&] {
            // The file stays the working folder's (a read-only backup may be open now):
            // local backups of the shared ledger and 本地账簿 go by it.
            Database::instance().setFileName(Database::defaultFileName());
            Database::instance().setServer(address, password);
        });
    };
    const auto toLocalFile = [this] {
        const QString file = Database::defaultFileName();
        if (!QFileInfo(file).isFile()) {
            Messages::error(this, QStringLiteral("当前文件夹里没有账簿文件 %1").arg(file));
            return false;
        }
        return turnLedger([&] {
            Database::instance().setServer({});
            Database::instance().setFileName(file);
        });
    };
    const auto toCopy = [this](const QString& copy) {
        return turnLedger([&] {
            Database::instance().setServer({});
            Database::instance().setFileName(copy, true);
        });
    };
    ConnectDialog dialog(this, toServer, toLocalFile, toCopy);
    dialog.exec();
}

bool TMainForm::turnLedger(const std::function<void()>& change) {
    if (!LedgerSwitch::turn(this, change))
        return false;
    m_ledgerName->setText(Database::instance().ledgerName());
    return true;
}

void TMainForm::NUploadClick() {
    LedgerMoves::upload(this);
}

void TMainForm::NSaveLocalClick() {
    LedgerMoves::saveAsLocal(this);
}
