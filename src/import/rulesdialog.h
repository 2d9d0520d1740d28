#pragma once

#include "importrules.h"

#include <QDialog>

class QTableWidget;

// The import rules, listed in the order they are tried, each editable in place;
// rules can be moved up and down and removed. 确定 saves them.
class RulesDialog : public QDialog {
    Q_OBJECT
public:
    RulesDialog(QWidget* parent, const QVector<ImportRule>& rules);
    QVector<ImportRule> rules() const;

    // Shows the dialog; true when the user saved the rules.
    static bool edit(QWidget* parent, const QVector<ImportRule>& rules);

private:
    void move(int step);
    QTableWidget* m_Rules;
};
