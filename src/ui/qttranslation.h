#pragma once

#include <QString>

class QCoreApplication;

// Qt's own texts (the buttons of its dialogs, the file and print dialogs, the context
// menus of text boxes, the calendar's tool tips) in Simplified Chinese, from the
// translations that Qt installs.
namespace QtTranslation {

// Where Qt keeps its translations on this system.
QString defaultDirectory();

// Loads qtbase_zh_CN.qm from directory and installs it on app. When the file is
// missing or damaged, Qt's texts stay English and one line on standard error says
// so; the caller goes on either way. Returns whether the translation is installed.
bool install(QCoreApplication* app, const QString& directory = defaultDirectory());

} // namespace QtTranslation
