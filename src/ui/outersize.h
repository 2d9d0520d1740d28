#pragma once

#include <QObject>
#include <QSize>

class QWidget;

// Gives a window an outer size: frame and title bar included. A child window of the
// workspace draws its own frame, so its sub-window simply takes the size. A top-level
// window's frame belongs to the window system, which reports its margins only once
// the window is on screen (after the window manager has framed it), so the size is
// set again, less the margins, as soon as they are known and the window is neither
// maximised nor minimised.
class OuterSize : public QObject {
public:
    static void apply(QWidget* window, QSize outer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OuterSize(QWidget* window, QSize outer);
    void fit();

    QWidget* m_window;
    QSize m_outer;
};
