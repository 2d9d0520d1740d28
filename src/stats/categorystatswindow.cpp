#include "categorystatswindow.h"

QPointer<TForm9> Form9;

TForm9::TForm9(QWidget* parent) : StatsWindow(StatsConfigurations::byCategory(), parent) {}

void TForm9::FormClose() {
    if (Form9 == this)
        Form9 = nullptr;
}
