#include "shell.h"

#include "mainform.h"

void createShellDialogs(TMainForm& mainForm)
{
    mainForm.setDialogs(nullptr, nullptr);
}
