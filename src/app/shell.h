#pragma once

class TMainForm;

// Creates the shell's two dialogs (about box and usage help) once, after the main
// window, hidden, and hands them to it.
void createShellDialogs(TMainForm& mainForm);
