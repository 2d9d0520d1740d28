#include "rulesdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RulesDialog::RulesDialog(QWidget* parent, const QVector<ImportRule>& rules)
    : QDialog(parent), m_Rules(new QTableWidget(int(rules.size()), 5, this)) {
    setObjectName(QStringLiteral("RulesDialog"));
    setWindowTitle(QStringLiteral("导入规则"));
    m_Rules->setObjectName(QStringLiteral("RuleList"));
    m_Rules->setAccessibleName(QStringLiteral("导入规则"));
    m_Rules->setHorizontalHeaderLabels({QStringLiteral("交易对方包含"), QStringLiteral("费用方式"),
                                        QStringLiteral("对应工程"), QStringLiteral("类型"),
                                        QStringLiteral("所用位置")});
    m_Rules->horizontalHeader()->setStretchLastSection(true);
    m_Rules->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < rules.size(); ++r) {
        const QString cells[5] = {rules[r].contains, rules[r].mode, rules[r].project, rules[r].category,
                                  rules[r].rooms};
        for (int c = 0; c < 5; ++c)
            m_Rules->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Rules);
    auto* row = new QHBoxLayout;
    const auto add = [&](const char* name, const QString& caption, auto handler) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, handler);
        row->addWidget(b);
    };
    add("MoveUp", QStringLiteral("上移"), [this] { move(-1); });
    add("MoveDown", QStringLiteral("下移"), [this] { move(1); });
    add("Remove", QStringLiteral("删除"), [this] {
        if (m_Rules->currentRow() >= 0)
            m_Rules->removeRow(m_Rules->currentRow());
    });
    row->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);
    resize(640, 320);
}

void RulesDialog::move(int step) {
    const int from = m_Rules->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= m_Rules->rowCount())
        return;
    for (int c = 0; c < m_Rules->columnCount(); ++c) {
        QTableWidgetItem* a = m_Rules->takeItem(from, c);
        QTableWidgetItem* b = m_Rules->takeItem(to, c);
        m_Rules->setItem(from, c, b);
        m_Rules->setItem(to, c, a);
    }
    m_Rules->setCurrentCell(to, m_Rules->currentColumn());
}

QVector<ImportRule> RulesDialog::rules() const {
    QVector<ImportRule> rules;
    for (int r = 0; r < m_Rules->rowCount(); ++r) {
        const auto text = [&](int c) { return m_Rules->item(r, c) ? m_Rules->item(r, c)->text().trimmed() : QString(); };
        if (!text(0).isEmpty())
            rules << ImportRule{text(0), text(1), text(2), text(3), text(4)};
    }
    return rules;
}

bool RulesDialog::edit(QWidget* parent, const QVector<ImportRule>& rules) {
    RulesDialog dialog(parent, rules);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ImportRules::save(dialog.rules());
    return true;
}
