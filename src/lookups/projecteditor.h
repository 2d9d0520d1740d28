#pragma once

#include "lookupeditor.h"

#include <QPointer>

// The project list editor "工程设置" over 项目.NAMES.
class TForm2 : public LookupEditor {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm2> Form2;
