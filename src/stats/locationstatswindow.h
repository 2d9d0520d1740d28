#pragma once

#include "statswindow.h"

#include <QPointer>

// The statistics window "按所用位置统计".
class TForm10 : public StatsWindow {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm10> Form10;
