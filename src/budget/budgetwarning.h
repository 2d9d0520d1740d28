#pragma once

#include <QStringList>

class QWidget;

// Listens to the ledger editor's saves and, when one takes a budget past 90 % or
// past 100 %, shows a notice in the editor's window. The notice is a non-modal box
// that later notices reuse; it comes after the save has finished and never stands
// in its way: a check that fails shows nothing.
namespace BudgetWarning {

// Starts listening; once per program, later calls do nothing.
void install();

// Shows the lines in the editor's notice box "BudgetNotice".
void show(QWidget* editor, const QStringList& lines);

} // namespace BudgetWarning
