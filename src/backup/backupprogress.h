#pragma once

#include "backgroundwork.h"
#include "backupstore.h"

// A backup's or restore's steps, told to the progress dialog in words.
inline BackupStore::Progress progressShownBy(const BackgroundWork::Report& report) {
    return [report](BackupStore::Stage stage, qint64 done, qint64 total) {
        report(BackupStore::stageText(stage), done, total);
    };
}
