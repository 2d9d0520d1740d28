#pragma once

#include "serveraddress.h"
#include "testpaths.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QtGlobal>

// One member's program in a process of its own (sharing_driver), told what to store
// line by line; each command is done when its answer line has come.
class MemberProcess {
public:
    explicit MemberProcess(const ServerAddress& address, const QString& password = QStringLiteral("pw"))
        : m_role(address.user) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!password.isEmpty())
            environment.insert(QStringLiteral("PGPASSWORD"), password);
        m_process.setProcessEnvironment(environment);
        m_process.start(besideTestProgram(SHARING_DRIVER), {address.url()});
        const QStringList opened = await("ready");
        if (opened.isEmpty() || opened.last() != QLatin1String("ready"))
            qFatal("the member's program did not open the ledger: %s", qPrintable(opened.join('\n')));
    }
    MemberProcess(const MemberProcess&) = delete;
    MemberProcess& operator=(const MemberProcess&) = delete;
    ~MemberProcess() {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished(-1);
    }
    QString role() const { return m_role; }

    void send(const QString& command) { m_process.write((command + QLatin1Char('\n')).toUtf8()); }
    // The lines answered up to and including the one that starts with word; whatever
    // came before it when the program ended first.
    QStringList await(const char* word) {
        QStringList lines;
        for (;;) {
            while (m_process.canReadLine()) {
                lines << QString::fromUtf8(m_process.readLine()).trimmed();
                if (lines.last().startsWith(QLatin1String(word)))
                    return lines;
            }
            if (!m_process.waitForReadyRead(-1)) {
                lines << QStringLiteral("ended: ") + QString::fromUtf8(m_process.readAllStandardError());
                return lines;
            }
        }
    }

private:
    QString m_role;
    QProcess m_process;
};
