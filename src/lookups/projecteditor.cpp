#include "projecteditor.h"

QPointer<TForm2> Form2;

TForm2::TForm2(QWidget* parent) : LookupEditor(LookupConfigurations::projects(), parent) {}

void TForm2::FormClose() {
    if (Form2 == this)
        Form2 = nullptr;
}
