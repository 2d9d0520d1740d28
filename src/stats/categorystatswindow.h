#pragma once

#include "statswindow.h"

#include <QPointer>

// The statistics window "按材料类型统计".
class TForm9 : public StatsWindow {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm9> Form9;
