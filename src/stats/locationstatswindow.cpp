#include "locationstatswindow.h"

QPointer<TForm10> Form10;

TForm10::TForm10(QWidget* parent) : StatsWindow(StatsConfigurations::byLocation(), parent) {}

void TForm10::FormClose() {
    Form10 = nullptr;
}
