#include "shell.h"

#include "aboutbox.h"
#include "helpdialog.h"
#include "mainform.h"

// Both dialogs live as long as the main window and are never recreated.
void createShellDialogs(TMainForm& mainForm) {
    mainForm.setDialogs(new TAboutBox(&mainForm), new ThelpDlg(&mainForm));
}
