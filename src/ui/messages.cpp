#include "messages.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace Messages {

namespace {

Answerer g_answerer;

QString captionOf(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("错误");
    case Kind::Warning:
        return QStringLiteral("警告");
    case Kind::Information:
    case Kind::Question:
        break;
    }
    return QStringLiteral("提示");
}

bool show(QWidget* parent, Kind kind, const QString& text, Icon icon) {
    const Shown shown{kind, captionOf(kind), text, icon};
    if (g_answerer)
        return g_answerer(shown);

    QMessageBox box(parent);
    box.setWindowTitle(shown.caption);
    box.setText(text);
    switch (icon) {
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (kind == Kind::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    }
    return box.exec() != QMessageBox::No;
}

} // namespace

void information(QWidget* parent, const QString& text, Icon icon) {
    show(parent, Kind::Information, text, icon);
}
void error(QWidget* parent, const QString& text) {
    show(parent, Kind::Error, text, Icon::Error);
}
void warning(QWidget* parent, const QString& text, Icon icon) {
    show(parent, Kind::Warning, text, icon);
}
bool ask(QWidget* parent, const QString& text) {
    return show(parent, Kind::Question, text, Icon::Information);
}

void setAnswerer(Answerer answerer) {
    g_answerer = std::move(answerer);
}

} // namespace Messages
