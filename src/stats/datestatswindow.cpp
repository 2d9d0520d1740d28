#include "datestatswindow.h"

QPointer<TForm11> Form11;

TForm11::TForm11(QWidget* parent) : StatsWindow(StatsConfigurations::byDate(), parent) {}

void TForm11::FormClose() {
    if (Form11 == this)
        Form11 = nullptr;
}
