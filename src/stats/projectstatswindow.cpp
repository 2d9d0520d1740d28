#include "projectstatswindow.h"

QPointer<TForm8> Form8;

TForm8::TForm8(QWidget* parent) : StatsWindow(StatsConfigurations::byProject(), parent) {}

void TForm8::FormClose() {
    if (Form8 == this)
        Form8 = nullptr;
}
