#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
struct ServerAddress;

// "口令": asks for the password of a shared ledger when the server wants one that
// libpq's environment (and, where the caller keeps one, the keyring) does not give.
// Signing in to a ledger and the commands that move a whole ledger both ask here.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    // note: why it asks again (the last password was refused), or empty.
    PasswordDialog(QWidget* parent, const ServerAddress& address, const QString& note = {});
    QString password() const;

private:
    QLineEdit* m_password = nullptr;
};
