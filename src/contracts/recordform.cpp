#include "recordform.h"

#include "messages.h"
#include "numbertext.h"
#include "windowlook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RecordForm::RecordForm(const QString& title, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RecordForm"));
    setWindowTitle(title);
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RecordForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void RecordForm::addRow(const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    field->setMinimumWidth(260);
    m_form->addRow(label, field);
}

void RecordForm::addText(const QString& name, const QString& caption, const QString& value,
                         const QString& hint) {
    auto* edit = new QLineEdit(value, this);
    edit->setObjectName(name);
    edit->setPlaceholderText(hint);
    m_texts.insert(name, edit);
    addRow(caption, edit);
}

void RecordForm::addChoice(const QString& name, const QString& caption, const QVector<Choice>& choices,
                           qint64 current) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    for (const Choice& choice : choices) {
        box->addItem(choice.name, choice.key);
        if (choice.key == current)
            box->setCurrentIndex(box->count() - 1);
    }
    m_choices.insert(name, box);
    addRow(caption, box);
}

QString RecordForm::text(const QString& name) const {
    const QLineEdit* edit = m_texts.value(name);
    return edit ? trimmedText(edit->text()) : QString();
}

qint64 RecordForm::choice(const QString& name) const {
    const QComboBox* box = m_choices.value(name);
    return box && box->currentIndex() >= 0 ? box->currentData().toLongLong() : 0;
}

void RecordForm::accept() {
    const QString refusal = m_check ? m_check() : QString();
    if (!refusal.isEmpty()) {
        Messages::error(this, refusal);
        return;
    }
    QDialog::accept();
}
