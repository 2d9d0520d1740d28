#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, with the captions and icons
// of the program's conventions: "提示" (information), "错误" (error), "警告" (warning),
// and questions as Yes/No boxes captioned "提示" with the information icon, where
// every answer but No counts as Yes.
//
// Tests install an answerer, so no test ever waits on a modal box.
namespace Messages {

enum class Kind { Information, Error, Warning, Question };
enum class Icon { Information, Warning, Error };

struct Shown {
    Kind kind;
    QString caption;
    QString text;
    Icon icon;
};

// A notice normally shows the information icon; a failure captioned "提示" shows the
// error icon.
void information(QWidget* parent, const QString& text, Icon icon = Icon::Information);
void error(QWidget* parent, const QString& text);
// A warning normally shows the warning icon; a few show the error icon instead.
void warning(QWidget* parent, const QString& text, Icon icon = Icon::Warning);
// True unless the user answers No.
bool ask(QWidget* parent, const QString& text);

// The answerer sees each box instead of the user; for questions it returns true
// for Yes. Passing an empty function restores the real message boxes.
using Answerer = std::function<bool(const Shown&)>;
void setAnswerer(Answerer answerer);

} // namespace Messages
