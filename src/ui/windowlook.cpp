#include "windowlook.h"

#include "chinesefonts.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QWidget>

#include <optional>

namespace WindowLook {

namespace {

// Where a one-line text stands when it is centred vertically in a rectangle, as
// labels and the combo box's own field draw it.
int centredBaseline(const QRect& rect, const QFontMetrics& metrics) {
    return rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
}

// The baseline of the text a field shows, in the coordinates of `place`; none for a
// field that shows no line of text.
std::optional<int> fieldBaseline(QWidget* field, QWidget* place) {
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (!edit)
        edit = field->findChild<QLineEdit*>(); // an editable box, a date or number box
    if (edit) {
        // The cursor spans the line of text, wherever the box centres it.
        const int top = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().top();
        return edit->mapTo(place, QPoint(0, top)).y() + edit->fontMetrics().ascent();
    }
    if (auto* box = qobject_cast<QComboBox*>(field)) {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.frame = box->hasFrame();
        const QRect text = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, box);
        return box->mapTo(place, QPoint(0, centredBaseline(text, box->fontMetrics()))).y();
    }
    return std::nullopt;
}

bool managedByLayout(QWidget* widget) {
    const QLayout* layout = widget->parentWidget() ? widget->parentWidget()->layout() : nullptr;
    return layout && layout->indexOf(widget) >= 0;
}

} // namespace

void apply(QWidget* window) {
    window->setFont(ChineseFonts::songTi(16));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, skyBlue);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void alignLabelBaselines(QWidget* window) {
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        QWidget* field = label->buddy();
        QWidget* place = label->parentWidget();
        if (!field || !place || managedByLayout(label) || !(label->alignment() & Qt::AlignVCenter))
            continue;
        // Only a label on its field's row: a caption above a list keeps its place.
        const QRect fieldRect(field->mapTo(place, QPoint(0, 0)), field->size());
        if (label->geometry().bottom() < fieldRect.top() || label->geometry().top() > fieldRect.bottom())
            continue;
        const std::optional<int> target = fieldBaseline(field, place);
        if (!target)
            continue;
        const QRect text = label->contentsRect().translated(label->pos());
        label->move(label->x(), label->y() + *target - centredBaseline(text, label->fontMetrics()));
    }
}

QToolButton* pictureButton(QWidget* parent, const char* objectName, const QString& caption,
                           Pictures::Button picture) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(caption);
    button->setIcon(Pictures::button(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace WindowLook
