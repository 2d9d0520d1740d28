#pragma once

#include <QString>
#include <QVector>

// "交易对方 contains 红星美凯龙 → 材料费 / 主材 / 客厅": the first rule, in the
// user's order, whose text the counterparty contains gives a proposed entry its
// expense mode, project, category and rooms. Kept in the user's settings.
struct ImportRule {
    QString contains;
    QString mode;     // empty: left as proposed
    QString project;  // a project's name
    QString category; // a material category's name
    QString rooms;    // location captions joined by "、"
    friend bool operator==(const ImportRule& a, const ImportRule& b) {
        return a.contains == b.contains && a.mode == b.mode && a.project == b.project &&
               a.category == b.category && a.rooms == b.rooms;
    }
};

namespace ImportRules {

QVector<ImportRule> load();
void save(const QVector<ImportRule>& rules);

// The first rule that matches; null when none does.
const ImportRule* matching(const QVector<ImportRule>& rules, const QString& counterparty);

} // namespace ImportRules
