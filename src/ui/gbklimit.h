#pragma once

#include <QString>

class QComboBox;
class QLineEdit;

// Input limits of text boxes count bytes of GBK text: a Chinese character counts two.
qsizetype gbkByteLength(const QString& text);

// Holds typing and pasting to maxBytes GBK bytes: a paste is cut to the characters
// that fit, a typed character that does not fit is refused. Text the program sets
// is shown whole even when longer; the user may then only shorten it. The combo box
// must be editable.
void setGbkLimit(QLineEdit* edit, int maxBytes);
void setGbkLimit(QComboBox* combo, int maxBytes);
