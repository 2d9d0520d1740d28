#pragma once

#include <QString>

class QComboBox;
class QLineEdit;

// Input limits of text boxes count bytes of GBK text: a Chinese character counts two.
qsizetype gbkByteLength(const QString& text);

// Refuses any edit (typing or pasting) that would make the box's text longer than
// maxBytes GBK bytes. The combo box must be editable.
void setGbkLimit(QLineEdit* edit, int maxBytes);
void setGbkLimit(QComboBox* combo, int maxBytes);
