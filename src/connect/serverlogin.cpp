#include "serverlogin.h"

#include "backgroundwork.h"
#include "keyring.h"
#include "passworddialog.h"
#include "serverledger.h"

namespace ServerLogin {

namespace {

ServerLedger::Probe probe(QWidget* parent, const ServerAddress& address, const QString& password) {
    ServerLedger::Probe result;
    BackgroundWork::run(
        parent, QStringLiteral("正在连接共享账簿 %1…").arg(address.displayName()),
        [&](const BackgroundWork::Report&) { result = ServerLedger::probe(address, password); });
    return result;
}

Result finished(const ServerLedger::Probe& probe, const QString& password) {
    Result result;
    result.outcome = probe.outcome == ServerLedger::Probe::Ledger ? Result::Connected : Result::Failed;
    result.password = password;
    result.failure = probe.failure;
    return result;
}

} // namespace

Result connect(QWidget* parent, const ServerAddress& address) {
    ServerLedger::Probe attempt = probe(parent, address, {});
    if (attempt.outcome != ServerLedger::Probe::NeedsPassword)
        return finished(attempt, {});

    QString note;
    const QString kept = Keyring::read(address.credentialName());
    if (!kept.isEmpty()) {
        attempt = probe(parent, address, kept);
        // A kept password the server no longer takes is asked for anew; any other
        // failure is the answer.
        if (!attempt.passwordRefused)
            return finished(attempt, kept);
        note = QStringLiteral("保存的口令没有被服务器接受：%1").arg(attempt.failure);
    }
    PasswordDialog dialog(parent, address, note);
    if (dialog.exec() != QDialog::Accepted) {
        Result cancelled;
        cancelled.outcome = Result::Cancelled;
        return cancelled;
    }
    const QString typed = dialog.password();
    attempt = probe(parent, address, typed);
    if (attempt.outcome == ServerLedger::Probe::NeedsPassword) // nothing typed
        attempt.failure = QStringLiteral("无法连接共享账簿 %1：没有输入口令").arg(address.displayName());
    if (attempt.outcome == ServerLedger::Probe::Ledger)
        Keyring::write(address.credentialName(), typed);
    return finished(attempt, typed);
}

} // namespace ServerLogin
