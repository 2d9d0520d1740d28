#pragma once

class InstanceGuard;
class TMainForm;

// Creates the shell's two dialogs (about box and usage help) once, after the main
// window, hidden, and hands them to it.
void createShellDialogs(TMainForm& mainForm);

// Whether the program may start: not while another copy holds the guard. When the
// guard cannot even be checked (an unusable runtime folder), the program starts
// anyway, unguarded, after showing the system's reason.
bool mayStart(const InstanceGuard& guard);
