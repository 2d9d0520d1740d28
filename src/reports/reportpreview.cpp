#include "reportpreview.h"

#include "filedialogs.h"
#include "messages.h"
#include "pictures.h"
#include "reporterror.h"
#include "reportfile.h"
#include "reportoutput.h"
#include "reportpageview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

ReportPreview::TestHook g_testHook;
ReportPreview::PrinterChooser g_printerChooser;

const QString ReportFilter = QStringLiteral("报表文件|*.jzr|所有文件|*");
const QString PdfFilter = QStringLiteral("PDF 文件|*.pdf");

struct ZoomChoice {
    const char* caption;
    ReportPageView::ZoomMode mode;
    int percent;
};
const ZoomChoice ZoomChoices[] = {
    {"整页", ReportPageView::ZoomMode::WholePage, 0}, {"页宽", ReportPageView::ZoomMode::PageWidth, 0},
    {"50%", ReportPageView::ZoomMode::Percent, 50},   {"75%", ReportPageView::ZoomMode::Percent, 75},
    {"100%", ReportPageView::ZoomMode::Percent, 100}, {"150%", ReportPageView::ZoomMode::Percent, 150},
    {"200%", ReportPageView::ZoomMode::Percent, 200},
};
constexpr int DefaultZoom = 4; // 100 %

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

ReportPreview::ReportPreview(PreparedReport report, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);

    m_bar = new QWidget(this);
    auto* bar = new QHBoxLayout(m_bar);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(2);

    QToolButton* first = addButton(QStringLiteral("FirstPageButton"), QStringLiteral("首页"),
                                   Pictures::button(Pictures::Button::First));
    QToolButton* prior =
        addButton(QStringLiteral("PriorPageButton"), QStringLiteral("上一页"),
                  Pictures::button(Pictures::Button::Prior), QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    m_pageLabel = new QLabel(m_bar);
    m_pageLabel->setObjectName(QStringLiteral("PageLabel"));
    m_pageLabel->setMinimumWidth(110);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pageLabel);
    QToolButton* next =
        addButton(QStringLiteral("NextPageButton"), QStringLiteral("下一页"),
                  Pictures::button(Pictures::Button::Next), QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    QToolButton* last = addButton(QStringLiteral("LastPageButton"), QStringLiteral("末页"),
                                  Pictures::button(Pictures::Button::Last));
    bar->addSpacing(12);

    auto* zoomLabel = new QLabel(QStringLiteral("缩放"), m_bar);
    m_zoom = new QComboBox(m_bar);
    m_zoom->setObjectName(QStringLiteral("ZoomBox"));
    for (const ZoomChoice& choice : ZoomChoices)
        m_zoom->addItem(QString::fromUtf8(choice.caption));
    zoomLabel->setBuddy(m_zoom);
    m_zoom->setAccessibleName(zoomLabel->text());
    bar->addWidget(zoomLabel);
    bar->addWidget(m_zoom);
    bar->addSpacing(12);

    QToolButton* load = addButton(QStringLiteral("LoadButton"), QStringLiteral("打开"),
                                  Pictures::button(Pictures::Button::Import), QKeySequence::Open);
    QToolButton* save = addButton(QStringLiteral("SaveButton"), QStringLiteral("保存"),
                                  Pictures::button(Pictures::Button::Save), QKeySequence::Save);
    QToolButton* print = addButton(QStringLiteral("PrintButton"), QStringLiteral("打印"),
                                   Pictures::button(Pictures::Button::Print), QKeySequence::Print);
    QToolButton* pdf = addButton(QStringLiteral("PdfButton"), QStringLiteral("导出PDF"), {});
    bar->addSpacing(12);

    auto* findLabel = new QLabel(QStringLiteral("查找"), m_bar);
    m_findText = new QLineEdit(m_bar);
    m_findText->setObjectName(QStringLiteral("FindEdit"));
    m_findText->setMaximumWidth(160);
    findLabel->setBuddy(m_findText);
    m_findText->setAccessibleName(findLabel->text());
    bar->addWidget(findLabel);
    bar->addWidget(m_findText);
    QToolButton* find = addButton(QStringLiteral("FindButton"), QStringLiteral("查找下一个"),
                                  Pictures::button(Pictures::Button::Query), QKeySequence::FindNext);
    bar->addStretch();
    QToolButton* help =
        addButton(QStringLiteral("HelpButton"), QStringLiteral("帮助"), {}, QKeySequence::HelpContents);
    QToolButton* exit = addButton(QStringLiteral("ExitButton"), QStringLiteral("退出"),
                                  Pictures::button(Pictures::Button::Exit));

    m_view = new ReportPageView(this);
    m_view->setObjectName(QStringLiteral("PageView"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_view, 1);

    connect(first, &QToolButton::clicked, this, [this] { m_view->showPage(0); });
    connect(prior, &QToolButton::clicked, this, [this] { m_view->showPage(m_view->currentPage() - 1); });
    connect(next, &QToolButton::clicked, this, [this] { m_view->showPage(m_view->currentPage() + 1); });
    connect(last, &QToolButton::clicked, this, [this] { m_view->showPage(m_report.pageCount() - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, &ReportPreview::zoomChosen);
    connect(load, &QToolButton::clicked, this, &ReportPreview::loadReport);
    connect(save, &QToolButton::clicked, this, &ReportPreview::saveReport);
    connect(print, &QToolButton::clicked, this, &ReportPreview::printReport);
    connect(pdf, &QToolButton::clicked, this, &ReportPreview::exportPdf);
    connect(find, &QToolButton::clicked, this, &ReportPreview::findNext);
    connect(m_findText, &QLineEdit::returnPressed, this, &ReportPreview::findNext);
    connect(m_findText, &QLineEdit::textChanged, this, [this] { m_view->setHighlight({}); });
    connect(help, &QToolButton::clicked, this, &ReportPreview::showHelp);
    connect(exit, &QToolButton::clicked, this, &ReportPreview::reject);
    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::showPageNumber);
    auto* findShortcut = new QAction(this);
    findShortcut->setShortcut(QKeySequence::Find);
    connect(findShortcut, &QAction::triggered, this, [this] {
        m_findText->setFocus();
        m_findText->selectAll();
    });
    addAction(findShortcut);

    if (const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen())
        resize(screen->availableSize() * 0.85);
    m_zoom->setCurrentIndex(DefaultZoom);
    setReport(std::move(report));
    m_view->setFocus();
}

ReportPreview::~ReportPreview() = default;

QToolButton* ReportPreview::addButton(const QString& objectName, const QString& caption, const QIcon& icon,
                                      const QKeySequence& shortcut) {
    auto* button = new QToolButton(m_bar);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    if (!shortcut.isEmpty()) {
        button->setShortcut(shortcut);
        button->setToolTip(
            QStringLiteral("%1 (%2)").arg(caption, shortcut.toString(QKeySequence::NativeText)));
    }
    m_bar->layout()->addWidget(button);
    return button;
}

void ReportPreview::setReport(PreparedReport report) {
    m_report = std::move(report);
    m_lastFind.clear();
    m_view->setReport(&m_report);
    showPageNumber(m_view->currentPage());
}

void ReportPreview::showModal(PreparedReport report, QWidget* parent) {
    ReportPreview preview(std::move(report), parent);
    if (g_testHook) {
        const TestHook hook = g_testHook;
        preview.show();
        hook(preview);
        return;
    }
    preview.exec();
}

void ReportPreview::setTestHook(TestHook hook) {
    g_testHook = std::move(hook);
}

void ReportPreview::setPrinterChooser(PrinterChooser chooser) {
    g_printerChooser = std::move(chooser);
}

void ReportPreview::zoomChosen(int index) {
    if (index < 0 || index >= int(std::size(ZoomChoices)))
        return;
    const ZoomChoice& choice = ZoomChoices[index];
    if (choice.mode == ReportPageView::ZoomMode::Percent)
        m_view->setZoomPercent(choice.percent);
    else
        m_view->setZoomMode(choice.mode);
}

void ReportPreview::showPageNumber(int page) {
    m_pageLabel->setText(
        QStringLiteral("第 %1 / %2 页").arg(m_report.pageCount() ? page + 1 : 0).arg(m_report.pageCount()));
}

void ReportPreview::loadReport() {
    const QString fileName = FileDialogs::openFileName(this, QStringLiteral("打开报表"), ReportFilter);
    if (fileName.isEmpty())
        return;
    try {
        WaitCursor wait;
        PreparedReport loaded = ReportFile::load(fileName);
        setReport(std::move(loaded));
    } catch (const ReportError& error) {
        Messages::error(this, error.message());
    }
}

void ReportPreview::saveReport() {
    // The dialog adds ".jzr" to a bare name before it asks whether to replace a file.
    const QString fileName = FileDialogs::saveFileName(this, QStringLiteral("保存报表"), ReportFilter);
    if (fileName.isEmpty())
        return;
    try {
        WaitCursor wait;
        ReportFile::save(m_report, fileName);
    } catch (const ReportError& error) {
        Messages::error(this, error.message());
    }
}

void ReportPreview::exportPdf() {
    const QString fileName = FileDialogs::saveFileName(this, QStringLiteral("导出PDF"), PdfFilter);
    if (fileName.isEmpty())
        return;
    try {
        WaitCursor wait;
        ReportOutput::writePdf(m_report, fileName);
    } catch (const ReportError& error) {
        Messages::error(this, error.message());
    }
}

void ReportPreview::printReport() {
    if (m_report.pageCount() == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    ReportOutput::setUpPrinter(m_report, printer);
    bool chosen = false;
    if (g_printerChooser) {
        chosen = g_printerChooser(printer);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, m_report.pageCount());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (!chosen)
        return;
    try {
        WaitCursor wait;
        ReportOutput::print(m_report, printer);
    } catch (const ReportError& error) {
        Messages::error(this, error.message());
    }
}

void ReportPreview::findNext() {
    const QString what = m_findText->text();
    if (what.isEmpty())
        return;
    const PreparedReport::Position from =
        what == m_lastFind ? m_view->highlight() : PreparedReport::Position{};
    m_lastFind = what;
    const PreparedReport::Position found = m_report.find(what, from);
    if (found.isValid()) {
        m_view->setHighlight(found);
        return;
    }
    // Past the last match the search starts again from the first page.
    m_view->setHighlight({});
    m_lastFind = what;
    Messages::information(this, from.isValid()
                                    ? QStringLiteral("已找到最后一处“%1”，再查找将从第一页开始。").arg(what)
                                    : QStringLiteral("报表中没有“%1”。").arg(what));
}

void ReportPreview::showHelp() {
    Messages::information(
        this,
        QStringLiteral("预览窗口的用法：\n\n"
                       "首页、上一页、下一页、末页：翻页；也可以用滚动条、鼠标滚轮和 PageUp、PageDown 键。\n"
                       "缩放：整页、页宽或按百分比显示。\n"
                       "打开：载入以前保存的报表文件（*.jzr）。\n"
                       "保存：把这份报表存为报表文件，以后可以再打开、打印。\n"
                       "打印：选择打印机、页码范围和份数后打印。\n"
                       "导出PDF：把报表存为 PDF 文件，便于发送和存档。\n"
                       "查找：输入文字后按“查找下一个”或回车，找到的文字以黄色标出，再按继续往下找。\n"
                       "退出：关闭预览窗口（Esc）。"));
}
