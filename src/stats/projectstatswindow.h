#pragma once

#include "statswindow.h"

#include <QPointer>

// The statistics window "按对应工程统计".
class TForm8 : public StatsWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm8> Form8;
