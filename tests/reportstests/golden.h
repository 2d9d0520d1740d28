#pragma once

#include "testpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

// Compares text with the reference file tests/data/<name>. A missing or different
// reference fails with the command that writes it anew from this run; with
// JZ_UPDATE_GOLDEN=1 set the run writes it, after which the change is reviewed in
// version control like any other.
#define JZ_COMPARE_WITH_REFERENCE(actual, name)                                                              \
    do {                                                                                                     \
        QString jzMessage;                                                                                   \
        if (!Golden::matches(actual, name, jzMessage))                                                       \
            QFAIL(qPrintable(jzMessage));                                                                    \
    } while (false)

namespace Golden {

inline bool matches(const QString& actual, const QString& name, QString& message) {
    // The references of every test program live together in tests/data.
    const QString path = besideTestProgram(JZ_REFERENCE_DIR) + QLatin1Char('/') + name;
    QFile reference(path);
    const bool exists = reference.open(QIODevice::ReadOnly);
    const QString expected = exists ? QString::fromUtf8(reference.readAll()) : QString();
    if (exists && expected == actual)
        return true;

    if (qEnvironmentVariableIntValue("JZ_UPDATE_GOLDEN") == 1) {
        reference.close();
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            message = QStringLiteral("cannot write the reference %1").arg(path);
            return false;
        }
        out.write(actual.toUtf8());
        qWarning("wrote the reference %s", qPrintable(path));
        return true;
    }

    // Keep what this run produced beside the test, for a diff.
    const QString produced =
        QDir(QCoreApplication::applicationDirPath()).filePath(name + QStringLiteral(".actual"));
    QFile out(produced);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(actual.toUtf8());

    QString firstDifference;
    const QStringList a = actual.split(QLatin1Char('\n')), e = expected.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < qMax(a.size(), e.size()); ++i)
        if (a.value(i) != e.value(i)) {
            firstDifference = QStringLiteral("line %1:\n  expected: %2\n  actual:   %3")
                                  .arg(i + 1)
                                  .arg(e.value(i), a.value(i));
            break;
        }
    message =
        QStringLiteral("%1 %2 (this run's text is in %3)\n%4\nTo write the reference from this run: "
                       "JZ_UPDATE_GOLDEN=1 %5 %6")
            .arg(exists ? QStringLiteral("differs from the reference") : QStringLiteral("has no reference"),
                 path, produced, firstDifference, QCoreApplication::applicationFilePath(),
                 QString::fromLatin1(QTest::currentTestFunction()));
    return false;
}

} // namespace Golden
