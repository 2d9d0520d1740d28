#include "ledgermoves.h"

#include "backgroundwork.h"
#include "database.h"
#include "dberror.h"
#include "filedialogs.h"
#include "ledgermove.h"
#include "messages.h"
#include "passworddialog.h"
#include "serveraddressdialog.h"

#include <QDir>
#include <QFileInfo>

namespace LedgerMoves {

namespace {

const QString ledgerFilter = QStringLiteral("家装账簿|*.mdb|所有文件|*.*");

LedgerTransfer::Progress progressShownBy(const BackgroundWork::Report& report) {
    return [report](LedgerTransfer::Phase phase, qint64 done, qint64 total) {
        report(LedgerTransfer::phaseText(phase), done, total);
    };
}

QString contentText(const LedgerSummary& summary) {
    return QStringLiteral("账目 %1 条、日记 %2 条、附件 %3 个")
        .arg(summary.rows(QStringLiteral("明细")))
        .arg(summary.rows(QStringLiteral("日记")))
        .arg(summary.rows(QStringLiteral("附件")));
}

// Runs a move, asking for the server's password when the server wants one (and
// again after a wrong one). False when it failed or the user gave up; the failure
// has been told.
bool runAskingPassword(QWidget* parent, const QString& text, LedgerPlace* server, const QString& failureText,
                       const std::function<void(const LedgerTransfer::Progress&)>& move) {
    for (;;) {
        try {
            BackgroundWork::run(parent, text, [&](const BackgroundWork::Report& report) { move(progressShownBy(report)); });
            return true;
        } catch (const DbError& error) {
            if (server && ServerHandle::refusedForPassword(error)) {
                // A password tried already and refused is said so.
                PasswordDialog prompt(parent, server->server,
                                      server->password.isEmpty()
                                          ? QString()
                                          : QStringLiteral("口令没有被服务器接受：%1").arg(error.message()));
                if (prompt.exec() == QDialog::Accepted && !prompt.password().isEmpty()) {
                    server->password = prompt.password();
                    continue;
                }
            }
            Messages::error(parent, failureText.arg(error.message()));
            return false;
        }
    }
}

} // namespace

void upload(QWidget* parent) {
    Database& db = Database::instance();
    LedgerPlace source;
    if (db.isServer()) {
        const QString file =
            FileDialogs::openFileName(parent, QStringLiteral("选择要上传的账簿文件"), ledgerFilter);
        if (file.isEmpty())
            return;
        source = LedgerPlace::file(file);
    } else {
        source = LedgerPlace::file(db.filePath());
    }
    ServerAddressDialog dialog(parent, QStringLiteral("上传到共享账簿"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    LedgerPlace target = LedgerPlace::onServer(dialog.address());
    if (db.isServer() && target.server.displayName() == db.server().displayName())
        target.password = db.password();
    const QString question =
        QStringLiteral("把账簿 %1 上传到共享账簿 %2 吗?\n\n共享账簿必须是空的（没有账目、日记、预算和附件）；"
                       "它的工程和材料类型列表会换成这个账簿的。上传的账簿本身不会改变。")
            .arg(QDir::toNativeSeparators(source.filePath), target.displayName());
    if (!Messages::ask(parent, question))
        return;
    LedgerSummary copied;
    if (!runAskingPassword(parent, QStringLiteral("正在上传账簿…"), &target, QStringLiteral("上传没有成功：%1"),
                           [&](const LedgerTransfer::Progress& progress) {
                               copied = LedgerMove::intoLedger(source, target, progress);
                           }))
        return;
    Messages::information(parent, QStringLiteral("已上传到共享账簿 %1（%2），核对无误。")
                                      .arg(target.displayName(), contentText(copied)));
}

void saveAsLocal(QWidget* parent) {
    const LedgerPlace source = LedgerPlace::ofProgram();
    const QString suggested =
        source.isServer()
            ? QDir::current().filePath(source.server.database + QStringLiteral(".mdb"))
            : QFileInfo(source.filePath).dir().filePath(QFileInfo(source.filePath).completeBaseName() +
                                                         QStringLiteral("-副本.mdb"));
    const QString path =
        FileDialogs::saveFileName(parent, QStringLiteral("另存为本地账簿"), ledgerFilter, suggested);
    if (path.isEmpty())
        return;
    if (!source.isServer() && QFileInfo(path).absoluteFilePath() == source.filePath) {
        Messages::warning(parent, QStringLiteral("不能另存到正在使用的账簿文件上。"));
        return;
    }
    LedgerSummary copied;
    // The save dialog asked before a file there is replaced.
    if (!runAskingPassword(parent, QStringLiteral("正在另存为本地账簿…"), nullptr,
                           QStringLiteral("另存为本地账簿没有成功：%1"),
                           [&](const LedgerTransfer::Progress& progress) {
                               copied = LedgerMove::intoNewFile(source, path, true, progress);
                           }))
        return;
    Messages::information(parent, QStringLiteral("已另存为 %1（%2），核对无误。")
                                      .arg(QDir::toNativeSeparators(path), contentText(copied)));
}

} // namespace LedgerMoves
