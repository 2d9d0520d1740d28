#pragma once

// For the start-up benchmark: with JZ_STARTUP_PROBE set, the program prints
// "idle" on standard output as soon as its event loop has shown the main window
// and has nothing left to do, then quits. Without it, nothing happens.
namespace StartupProbe {
void reportWhenIdle();
}
