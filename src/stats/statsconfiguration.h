#pragma once

#include <QColor>
#include <QSize>
#include <QString>

// What tells the five statistics windows apart. Everything else about them is one
// design (StatsWindow).
struct StatsConfiguration {
    const char* objectName; // the form's name: Form7 … Form11
    const char* caption;    // window caption and chart title
    int icon;               // menu icon of the window's command
    QString (*sql)(const QString& from, const QString& to);
    QSize outerSize;
    QColor background; // invalid: the desktop's button face colour

    // x positions in the top strip, and the width of "打印"
    int bevelX;
    int countX; // "统计"
    int printX; // "打印"
    int exitX;  // "退出"
    int printWidth;

    // The grid: the label column's field and title; widths of the three columns.
    const char* labelField;
    const char* labelTitle;
    int columnWidths[3];
    bool titlesCentred; // otherwise left

    bool chartBevel;
    const char* chartLabelField; // read for each bar
    QColor barColour;
    bool chartAllRows;       // otherwise every row but the last (the total row)
    bool wheelSteppingFirst; // order of the opening's steps
    bool chartBeforeGrid;    // tab order

    const char* note; // a note panel under the strip, or nullptr

    // The printed report.
    const char* reportHeading;
    const char* reportField;
};

namespace StatsConfigurations {

const StatsConfiguration& byExpenseMode(); // TForm7
const StatsConfiguration& byProject();     // TForm8
const StatsConfiguration& byCategory();    // TForm9
const StatsConfiguration& byLocation();    // TForm10
const StatsConfiguration& byDate();        // TForm11

} // namespace StatsConfigurations
