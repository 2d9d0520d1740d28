#include "serverlogin.h"

#include "backgroundwork.h"
#include "keyring.h"
#include "passworddialog.h"
#include "ledgeronserver.h"

namespace ServerLogin {

namespace {

LedgerOnServer::Probe probe(QWidget* parent, const ServerAddress& address, const QString& password) {
    LedgerOnServer::Probe result;
    BackgroundWork::run(
        parent, QStringLiteral("正在连接共享账簿 %1…").arg(address.displayName()),
        [&](const BackgroundWork::Report&) { result = LedgerOnServer::probe(address, password); });
    return result;
}

Result finished(const LedgerOnServer::Probe& probe, const QString& password) {
    Result result;
    result.outcome = probe.outcome == LedgerOnServer::Probe::Ledger ? Result::Connected : Result::Failed;
    result.password = password;
    result.failure = probe.failure;
    return result;
}

} // namespace

Result connect(QWidget* parent, const ServerAddress& address) {
    LedgerOnServer::Probe attempt = probe(parent, address, {});
    if (attempt.outcome != LedgerOnServer::Probe::NeedsPassword)
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
    if (attempt.outcome == LedgerOnServer::Probe::NeedsPassword) // nothing typed
        attempt.failure = QStringLiteral("无法连接共享账簿 %1：没有输入口令").arg(address.displayName());
    if (attempt.outcome == LedgerOnServer::Probe::Ledger)
        Keyring::write(address.credentialName(), typed);
    return finished(attempt, typed);
}

} // namespace ServerLogin
