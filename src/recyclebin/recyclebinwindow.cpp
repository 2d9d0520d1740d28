#include "recyclebinwindow.h"

#include "database.h"
#include "dberror.h"
#include "frame.h"
#include "messages.h"
#include "pictures.h"
#include "sqlconnection.h"
#include "windowlook.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QPointer<RecycleBinWindow> RecycleBinForm;

namespace {

QString kindText(const RecycleBin::Item& item) {
    return item.table == QStringLiteral("明细") ? QStringLiteral("账目") : QStringLiteral("日记");
}

QString whatText(const RecycleBin::Item& item) {
    return kindText(item) == QStringLiteral("账目") ? QStringLiteral("这条账目") : QStringLiteral("这篇日记");
}

} // namespace

RecycleBinWindow::RecycleBinWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RecycleBinForm"));
    buildUi();
    resize(700, 380);
    Frame::addChild(this);
    Frame::outerWindow(this)->resize(720, 420);
    Frame::centreOnMainWindow(this);
    refresh();
}

void RecycleBinWindow::buildUi() {
    setWindowTitle(QStringLiteral("回收站"));
    setWindowIcon(Pictures::icon(9));
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);

    auto* caption = new QLabel(QStringLiteral("删除的账目和日记"), this);
    layout->addWidget(caption);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("RecycleList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("类型"), QStringLiteral("名称"), QStringLiteral("日期"),
                             QStringLiteral("附件"), QStringLiteral("删除人"), QStringLiteral("删除时间")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    caption->setBuddy(m_list);
    m_list->setAccessibleName(caption->text());
    layout->addWidget(m_list, 1);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("NoteLabel"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);

    auto* buttons = new QHBoxLayout;
    auto* keepLabel = new QLabel(QStringLiteral("保留天数"), this);
    m_keepDays = new QSpinBox(this);
    m_keepDays->setObjectName(QStringLiteral("KeepDays"));
    m_keepDays->setRange(1, 3650);
    m_keepDays->setValue(RecycleBin::keepDays());
    keepLabel->setBuddy(m_keepDays);
    m_keepDays->setAccessibleName(keepLabel->text());
    buttons->addWidget(keepLabel);
    buttons->addWidget(m_keepDays);
    buttons->addSpacing(16);
    const auto button = [&](const char* name, const QString& text, Pictures::Button picture) {
        QToolButton* b = WindowLook::pictureButton(this, name, text, picture);
        buttons->addWidget(b);
        return b;
    };
    m_restoreButton = button("RestoreButton", QStringLiteral("恢复"), Pictures::Button::Import);
    m_removeButton = button("RemoveButton", QStringLiteral("彻底删除"), Pictures::Button::Delete);
    buttons->addStretch();
    m_exitButton = button("ExitButton", QStringLiteral("退出"), Pictures::Button::Exit);
    layout->addLayout(buttons);

    connect(m_restoreButton, &QToolButton::clicked, this, &RecycleBinWindow::restoreChosen);
    connect(m_removeButton, &QToolButton::clicked, this, &RecycleBinWindow::removeChosen);
    connect(m_exitButton, &QToolButton::clicked, this, &QWidget::close);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &RecycleBinWindow::chosenChanged);
    // Kept as typed: the next opening of the ledger purges by it.
    connect(m_keepDays, &QSpinBox::valueChanged, this, [](int days) { RecycleBin::setKeepDays(days); });
}

// Only reads: a ledger without the bin stays without it until something is deleted.
void RecycleBinWindow::refresh() {
    const int row = m_list->currentIndex().row();
    m_items.clear();
    QString note;
    try {
        const SqlConnection db = SqlConnection::program();
        m_items = RecycleBin::list(db);
        if (db.engine() == SqlDialect::Engine::Server && !RecycleBin::exists(db))
            note = QStringLiteral("这本共享账簿还没有回收站，删除的账目不能恢复。请管理员运行一次 "
                                  "jiazhuang-server-init --add-tables 补上。");
    } catch (const DbError& error) {
        note = error.message();
    }
    m_list->clear();
    for (const RecycleBin::Item& item : std::as_const(m_items)) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(0, kindText(item));
        row->setText(1, item.title.simplified());
        row->setText(2, item.itemDate);
        row->setText(3, item.attachments ? QString::number(item.attachments) : QString());
        row->setText(4, item.deletedBy);
        row->setText(5, item.deletedAt);
    }
    if (note.isEmpty())
        note = QStringLiteral("删除的账目（连同附件）和日记在这里保留 %1 天。").arg(RecycleBin::keepDays());
    m_note->setText(note);
    if (!m_items.isEmpty())
        m_list->setCurrentItem(m_list->topLevelItem(qBound(0, row, int(m_items.size()) - 1)));
    chosenChanged();
}

const RecycleBin::Item* RecycleBinWindow::chosen() const {
    const int row = m_list->currentIndex().row();
    return row >= 0 && row < m_items.size() ? &m_items[row] : nullptr;
}

void RecycleBinWindow::chosenChanged() {
    const bool any = chosen() != nullptr;
    m_restoreButton->setEnabled(any);
    m_removeButton->setEnabled(any);
}

void RecycleBinWindow::restoreChosen() {
    const RecycleBin::Item* item = chosen();
    if (!item)
        return;
    try {
        const QString note = RecycleBin::restore(SqlConnection::program(), item->key);
        Messages::information(
            this,
            QStringLiteral("%1已恢复（编号 %2）。%3").arg(whatText(*item)).arg(item->itemKey).arg(note));
    } catch (const DbError& error) {
        Messages::error(this, error.message());
    }
    refresh();
}

void RecycleBinWindow::removeChosen() {
    const RecycleBin::Item* item = chosen();
    if (!item)
        return;
    if (!Messages::ask(this, QStringLiteral("你确定要彻底删除%1吗?删除后不能再恢复。").arg(whatText(*item))))
        return;
    try {
        RecycleBin::remove(SqlConnection::program(), item->key);
    } catch (const DbError& error) {
        Messages::error(this, error.message());
    }
    refresh();
}

void RecycleBinWindow::closeEvent(QCloseEvent* event) {
    if (RecycleBinForm == this)
        RecycleBinForm = nullptr;
    event->accept();
}
