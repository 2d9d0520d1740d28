#pragma once

#include "lookupeditor.h"

#include <QPointer>

// The material category list editor "材料类型设置" over 归类.DNAMES.
class TForm5 : public LookupEditor {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm5> Form5;
