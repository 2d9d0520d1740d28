#include "filedialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace FileDialogs {

namespace {
Chooser g_chooser;

// Qt's own dialog, which speaks Chinese through Qt's translation; the desktop's
// dialog would follow the desktop's language.
constexpr QFileDialog::Options dialogOptions = QFileDialog::DontUseNativeDialog;
} // namespace

QString qtFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(QStringLiteral("%1 (%2)").arg(
            parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))));
    return filters.join(QStringLiteral(";;"));
}

QString openFileName(QWidget* parent, const QString& caption, const QString& filter) {
    if (g_chooser)
        return g_chooser({false, caption, filter, {}});
    return QFileDialog::getOpenFileName(parent, caption, QString(), qtFilter(filter), nullptr, dialogOptions);
}

QStringList openFileNames(QWidget* parent, const QString& caption, const QString& filter) {
    if (g_chooser)
        return g_chooser({false, caption, filter, {}}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QFileDialog::getOpenFileNames(parent, caption, QString(), qtFilter(filter));
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& suggested) {
    if (g_chooser)
        return g_chooser({true, caption, filter, suggested});
    return QFileDialog::getSaveFileName(parent, caption, suggested, qtFilter(filter), nullptr, dialogOptions);
}

void setChooser(Chooser chooser) {
    g_chooser = std::move(chooser);
}

} // namespace FileDialogs
