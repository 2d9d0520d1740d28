#include "locationstatswindow.h"

QPointer<TForm10> Form10;

TForm10::TForm10(QWidget* parent) : StatsWindow(StatsConfigurations::byLocation(), parent) {}

void TForm10::FormClose() {
    if (Form10 == this)
        Form10 = nullptr;
}
