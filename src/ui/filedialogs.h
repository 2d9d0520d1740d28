#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// File dialogs of the program, with a seam for tests: a chooser installed here
// answers instead of the user (an empty answer stands for Cancel).
namespace FileDialogs {

// filter uses the "描述|模式|描述|模式" form, for example "文本文件|*.txt|所有文件|*.*".
QString openFileName(QWidget* parent, const QString& caption, const QString& filter);
// Several files at once; a chooser answers them one per line.
QStringList openFileNames(QWidget* parent, const QString& caption, const QString& filter);
// A name typed without a suffix gets the suffix of the filter's first pattern
// ("*.csv" gives ".csv"), before the dialog asks whether to replace a file.
QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& suggested = {});

// The Qt form of such a filter: "文本文件 (*.txt);;所有文件 (*.*)".
QString qtFilter(const QString& pipeFilter);
// The suffix a save adds: that of the filter's first pattern when it names one
// ("csv" for "CSV 表格|*.csv"), else empty.
QString defaultSuffix(const QString& pipeFilter);

struct Request {
    bool save;
    QString caption;
    QString filter;        // as passed in
    QString suggested;     // the proposed file, for a save
    QString defaultSuffix; // what a save adds to a name without one
};
using Chooser = std::function<QString(const Request&)>;
void setChooser(Chooser chooser);

} // namespace FileDialogs
