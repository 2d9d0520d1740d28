#pragma once

#include "statswindow.h"

#include <QPointer>

// The statistics window "按日期统计".
class TForm11 : public StatsWindow {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm11> Form11;
