#include "conflictdialog.h"

#include "rowkinds.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString whenText(const QDateTime& when) {
    if (when.date() == QDate::currentDate())
        return when.toString(QStringLiteral("HH:mm"));
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// The columns to show: the kind's own, in its order, then any others the rows hold.
QStringList shownColumns(const RowKinds::Kind& kind, const RowConflict::Details& conflict) {
    QStringList columns;
    for (const QString& column : kind.columns) {
        if (conflict.mine.contains(column) || conflict.theirs.contains(column) ||
            conflict.asRead.contains(column))
            columns << column;
    }
    for (const RowValues* row : {&conflict.mine, &conflict.theirs}) {
        for (auto it = row->cbegin(); it != row->cend(); ++it) {
            if (!columns.contains(it.key()) && it.key() != QLatin1String("MID"))
                columns << it.key();
        }
    }
    return columns;
}

} // namespace

QString ConflictDialog::message(const RowConflict::Details& conflict) {
    const RowKinds::Kind kind = RowKinds::of(conflict.table);
    const QString what = conflict.deleted ? QStringLiteral("删除") : QStringLiteral("修改");
    const QString who = conflict.author.isEmpty()
                            ? QStringLiteral("其他程序（如恢复备份或脚本）")
                            : QStringLiteral(" %1 于 %2 ").arg(conflict.author, whenText(conflict.when));
    QString text = kind.noun + QStringLiteral("在你打开之后已被") + who + what + QStringLiteral("……");
    if (conflict.relied)
        text += QStringLiteral("\n你的修改用到了它，请确认后再保存。");
    return text;
}

ConflictDialog::ConflictDialog(const RowConflict::Details& conflict, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("保存冲突"));
    setObjectName(QStringLiteral("ConflictDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(message(conflict), this);
    text->setObjectName(QStringLiteral("ConflictMessage"));
    text->setWordWrap(true);
    layout->addWidget(text);

    m_versions = new QTableWidget(this);
    m_versions->setObjectName(QStringLiteral("ConflictVersions"));
    m_versions->setAccessibleName(QStringLiteral("两个版本"));
    m_versions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_versions);
    fillVersions(conflict);

    auto* buttons = new QDialogButtonBox(this);
    auto add = [&](const QString& caption, const char* name, Choice choice) {
        QPushButton* button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, [this, choice] { done(choice); });
        return button;
    };
    add(conflict.deleted && !conflict.relied ? QStringLiteral("接受删除") : QStringLiteral("用对方的"),
        "TakeTheirs", TakeTheirs);
    add(QStringLiteral("保留我的"), "KeepMine", KeepMine);
    add(QStringLiteral("取消"), "CancelChoice", Cancel)->setDefault(true);
    layout->addWidget(buttons);
    resize(560, 420);
}

void ConflictDialog::fillVersions(const RowConflict::Details& conflict) {
    const RowKinds::Kind kind = RowKinds::of(conflict.table);
    const QStringList columns = shownColumns(kind, conflict);
    m_versions->setColumnCount(3);
    m_versions->setHorizontalHeaderLabels(
        {QStringLiteral("项目"), QStringLiteral("对方的版本"),
         conflict.relied ? QStringLiteral("你打开时") : QStringLiteral("你的版本")});
    m_versions->setRowCount(int(columns.size()));
    const RowValues& mine = conflict.relied || conflict.mine.isEmpty() ? conflict.asRead : conflict.mine;
    for (int row = 0; row < columns.size(); ++row) {
        const QString& column = columns[row];
        const QString theirs = conflict.deleted ? QStringLiteral("（已删除）")
                                                : RowValuesText::shown(conflict.theirs.value(column));
        const QString own = RowValuesText::shown(mine.value(column));
        m_versions->setItem(row, 0, new QTableWidgetItem(RowKinds::columnCaption(kind, column)));
        m_versions->setItem(row, 1, new QTableWidgetItem(theirs));
        m_versions->setItem(row, 2, new QTableWidgetItem(own));
        if (!conflict.deleted &&
            !RowValuesText::sameValue(conflict.theirs.value(column), mine.value(column))) {
            QFont bold = m_versions->font();
            bold.setBold(true);
            for (int c = 0; c < 3; ++c)
                m_versions->item(row, c)->setFont(bold);
        }
    }
    m_versions->verticalHeader()->hide();
    m_versions->horizontalHeader()->setStretchLastSection(true);
    m_versions->resizeColumnsToContents();
}

ConflictDialog::Choice ConflictDialog::ask(QWidget* parent, const RowConflict::Details& conflict) {
    ConflictDialog dialog(conflict, parent);
    return Choice(dialog.exec());
}
