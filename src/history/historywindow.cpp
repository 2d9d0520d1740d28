#include "historywindow.h"

#include "changehistory.h"
#include "changenotice.h"
#include "datepicker.h"
#include "dberror.h"
#include "frame.h"
#include "historymodel.h"
#include "historytable.h"
#include "messages.h"
#include "pictures.h"
#include "sqlconnection.h"
#include "windowlook.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

QPointer<HistoryWindow> HistoryForm;

namespace {

const QString everyone = QStringLiteral("全部");

QLabel* captionFor(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char(':')));
    return label;
}

} // namespace

HistoryWindow::HistoryWindow(QWidget* parent) : QWidget(parent), m_model(new HistoryModel(this)) {
    setObjectName(QStringLiteral("HistoryForm"));
    setWindowTitle(QStringLiteral("操作记录"));
    setWindowIcon(Pictures::icon(2));
    WindowLook::apply(this);

    m_from = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    m_from->setObjectName(QStringLiteral("HistoryFrom"));
    setUpDatePicker(m_from);
    m_to = new QDateEdit(QDate::currentDate(), this);
    m_to->setObjectName(QStringLiteral("HistoryTo"));
    setUpDatePicker(m_to);
    m_author = new QComboBox(this);
    m_author->setObjectName(QStringLiteral("HistoryAuthor"));
    m_query = new QToolButton(this);
    m_query->setObjectName(QStringLiteral("HistoryQuery"));
    m_query->setText(QStringLiteral("查询"));
    m_query->setAccessibleName(QStringLiteral("查询"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("HistoryCount"));
    m_changeNotice = new ChangeNotice(ChangeHistory::tableName(), QStringLiteral("条新的操作记录"), this,
                                      ChangeNotice::Wording::Added);

    auto* bar = new QHBoxLayout;
    bar->addWidget(captionFor(this, QStringLiteral("从:"), m_from));
    bar->addWidget(m_from);
    bar->addWidget(captionFor(this, QStringLiteral("到:"), m_to));
    bar->addWidget(m_to);
    bar->addWidget(captionFor(this, QStringLiteral("操作人:"), m_author));
    bar->addWidget(m_author);
    bar->addWidget(m_query);
    bar->addStretch();

    m_grid = makeHistoryTable(this, m_model, QStringLiteral("操作记录"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_grid);
    auto* foot = new QHBoxLayout;
    foot->addWidget(m_count);
    foot->addStretch();
    foot->addWidget(m_changeNotice);
    layout->addLayout(foot);
    connect(m_query, &QToolButton::clicked, this, &HistoryWindow::showPeriod);
    connect(m_changeNotice, &ChangeNotice::refreshRequested, this, &HistoryWindow::refresh);

    fillAuthors();
    Frame::addChild(this);
    Frame::outerWindow(this)->resize(760, 440);
    Frame::centreOnMainWindow(this);
    showPeriod();
}

void HistoryWindow::fillAuthors() {
    m_author->clear();
    m_author->addItem(everyone);
    try {
        m_author->addItems(ChangeHistory::authors(SqlConnection::program()));
    } catch (const DbError&) {
        // The list then offers everyone only; 查询 reports the failure.
    }
}

void HistoryWindow::refresh() {
    const QString author = m_author->currentText();
    const QModelIndex current = m_grid->currentIndex();
    const qint64 chosen = current.isValid() ? m_model->entries().value(current.row()).id : 0;
    fillAuthors();
    m_author->setCurrentIndex(qMax(0, m_author->findText(author)));
    showPeriod();
    const QVector<ChangeHistory::Entry>& entries = m_model->entries();
    for (int row = 0; chosen && row < entries.size(); ++row) {
        if (entries[row].id == chosen) {
            m_grid->setCurrentIndex(m_model->index(row, current.column()));
            break;
        }
    }
}

void HistoryWindow::showPeriod() {
    const QString author = m_author->currentIndex() > 0 ? m_author->currentText() : QString();
    try {
        m_model->setEntries(
            ChangeHistory::ofPeriod(SqlConnection::program(), m_from->date(), m_to->date(), author));
        m_changeNotice->reset(); // what others store from now on is news
    } catch (const DbError& error) {
        m_model->setEntries({});
        Messages::error(this, QStringLiteral("无法读取操作记录: ") + error.message());
    }
    m_count->setText(QStringLiteral("共 %1 条记录").arg(m_model->rowCount()));
    m_grid->resizeColumnsToContents();
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (HistoryForm == this)
        HistoryForm = nullptr;
    event->accept();
}
