#include "categoryeditor.h"

QPointer<TForm5> Form5;

TForm5::TForm5(QWidget* parent) : LookupEditor(LookupConfigurations::categories(), parent) {}

void TForm5::FormClose() {
    if (Form5 == this)
        Form5 = nullptr;
}
