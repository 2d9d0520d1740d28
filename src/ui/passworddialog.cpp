#include "passworddialog.h"

#include "serveraddress.h"
#include "windowlook.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(QWidget* parent, const ServerAddress& address, const QString& note)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QStringLiteral("口令"));
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);
    if (!note.isEmpty()) {
        auto* noteLabel = new QLabel(note, this);
        noteLabel->setObjectName(QStringLiteral("NoteLabel"));
        noteLabel->setWordWrap(true);
        layout->addWidget(noteLabel);
    }
    // The label names the server, and a screen reader reads the same words.
    const QString caption = QStringLiteral("%1 的口令").arg(address.displayName());
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("PasswordLabel"));
    label->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("PasswordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(caption);
    label->setBuddy(m_password);
    layout->addWidget(label);
    layout->addWidget(m_password);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("OkButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, sizeHint().height());
}

QString PasswordDialog::password() const {
    return m_password->text();
}
