#include "expensemodewindow.h"

QPointer<TForm7> Form7;

TForm7::TForm7(QWidget* parent) : StatsWindow(StatsConfigurations::byExpenseMode(), parent) {}

void TForm7::FormClose() {
    if (Form7 == this)
        Form7 = nullptr;
}
