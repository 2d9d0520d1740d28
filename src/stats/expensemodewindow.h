#pragma once

#include "statswindow.h"

#include <QPointer>

// The statistics window "按费用方式统计".
class TForm7 : public StatsWindow {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

private:
    void FormClose() override;
};

extern QPointer<TForm7> Form7;
