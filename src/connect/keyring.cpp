#include "keyring.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace Keyring {

namespace {

const QString service = QStringLiteral("岚墨家装账簿");

// Runs a job to its end. The keyring may show its own unlock prompt meanwhile, so
// the event loop goes on; the job's plain-file fallback stays off.
void runToEnd(QKeychain::Job& job, const QString& name) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(name);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

QString read(const QString& name) {
    QKeychain::ReadPasswordJob job(service);
    runToEnd(job, name);
    return job.error() == QKeychain::NoError ? job.textData() : QString();
}

bool write(const QString& name, const QString& password) {
    QKeychain::WritePasswordJob job(service);
    job.setTextData(password);
    runToEnd(job, name);
    return job.error() == QKeychain::NoError;
}

} // namespace Keyring
