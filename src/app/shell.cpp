#include "shell.h"

#include "aboutbox.h"
#include "helpdialog.h"
#include "instanceguard.h"
#include "mainform.h"
#include "messages.h"

// Both dialogs live as long as the main window and are never recreated.
void createShellDialogs(TMainForm& mainForm) {
    mainForm.setDialogs(new TAboutBox(&mainForm), new ThelpDlg(&mainForm));
}

bool mayStart(const InstanceGuard& guard) {
    if (guard.heldElsewhere()) {
        Messages::information(nullptr, QStringLiteral("注意：同样的程序在运行中!"));
        return false;
    }
    if (!guard.acquired())
        Messages::warning(nullptr, QStringLiteral("无法检查是否有同样的程序在运行(%1)。\n程序照常启动，"
                                                  "但不能防止同时运行第二个。")
                                       .arg(guard.failure()));
    return true;
}
