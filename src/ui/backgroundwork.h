#pragma once

#include <QString>
#include <functional>

class QWidget;

// Work that may take seconds (copying or checking a large ledger) runs on a thread
// of its own while the event loop goes on, so every window keeps painting. A
// progress dialog over parent, without a cancel button, appears once the work lasts
// half a second; user input waits until the work is done.
namespace BackgroundWork {

// Tells the dialog what is being done: done of total, total 0 when unknown. May be
// called from the work's thread.
using Report = std::function<void(const QString& text, qint64 done, qint64 total)>;
using Work = std::function<void(const Report& report)>;

// Returns once the work is done; an exception thrown by the work is thrown here.
void run(QWidget* parent, const QString& text, const Work& work);

} // namespace BackgroundWork
