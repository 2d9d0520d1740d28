#include "filedialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace FileDialogs {

namespace {
Chooser g_chooser;

// Qt's own dialog, which speaks Chinese through Qt's translation; the desktop's
// dialog would follow the desktop's language.
constexpr QFileDialog::Options dialogOptions = QFileDialog::DontUseNativeDialog;

// The name as the save dialog hands it back: a name without any "." gets the
// suffix, as QFileDialog adds its default suffix.
QString withDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || suffix.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}
} // namespace

QString qtFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(QStringLiteral("%1 (%2)").arg(
            parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))));
    return filters.join(QStringLiteral(";;"));
}

QString defaultSuffix(const QString& pipeFilter) {
    const QString pattern = pipeFilter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    if (!pattern.startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = pattern.mid(2);
    const bool plain = !suffix.isEmpty() && std::none_of(suffix.cbegin(), suffix.cend(), [](QChar c) {
        return c == u'*' || c == u'?' || c == u'[';
    });
    return plain ? suffix : QString();
}

QString openFileName(QWidget* parent, const QString& caption, const QString& filter) {
    if (g_chooser)
        return g_chooser({false, caption, filter, {}, {}});
    return QFileDialog::getOpenFileName(parent, caption, QString(), qtFilter(filter), nullptr, dialogOptions);
}

QStringList openFileNames(QWidget* parent, const QString& caption, const QString& filter) {
    if (g_chooser)
        return g_chooser({false, caption, filter, {}, {}}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QFileDialog::getOpenFileNames(parent, caption, QString(), qtFilter(filter), nullptr,
                                         dialogOptions);
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& suggested) {
    const QString suffix = defaultSuffix(filter);
    if (g_chooser)
        return withDefaultSuffix(g_chooser({true, caption, filter, suggested, suffix}), suffix);
    // The dialog adds the suffix before it asks whether to replace a file, so the
    // question is asked about the file that is then written.
    QFileDialog dialog(parent, caption, QString(), qtFilter(filter));
    dialog.setOptions(dialogOptions);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (!suggested.isEmpty()) {
        const QFileInfo proposed(suggested);
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

void setChooser(Chooser chooser) {
    g_chooser = std::move(chooser);
}

} // namespace FileDialogs
