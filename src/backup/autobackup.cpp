#include "autobackup.h"

#include "backupprogress.h"
#include "messages.h"

#include <QTimer>

namespace {

QString warningText(const QString& message) {
    return QStringLiteral(
               "自动备份没有成功：%1\n\n程序照常工作，账目照常保存。可以在“系统管理 → 备份与恢复”里再试。")
        .arg(message);
}

} // namespace

AutoBackup::AutoBackup(QWidget* window) : m_window(window) {
    m_schedule.failed = [this](const QString& message) { report(message); };
    m_schedule.install();
}

// The windows are gone by now; the user waits for the backup with its progress shown.
void AutoBackup::programEnding() {
    m_ending = true;
    m_schedule.programEnding([](const BackupSchedule::Work& work) {
        BackgroundWork::run(nullptr, QStringLiteral("正在备份账簿…"),
                            [&work](const BackgroundWork::Report& report) { work(progressShownBy(report)); });
    });
}

void AutoBackup::report(const QString& message) {
    if (m_ending) {
        Messages::warning(nullptr, warningText(message));
        return;
    }
    QTimer::singleShot(0, m_window, [this, message] { Messages::warning(m_window, warningText(message)); });
}
