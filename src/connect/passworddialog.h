#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
struct ServerAddress;

// "口令": asks for the password of a shared ledger when the server wants one that
// neither libpq's environment nor the keyring gives.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    // note: why it asks again (the last password was refused), or empty.
    PasswordDialog(QWidget* parent, const ServerAddress& address, const QString& note = {});
    QString password() const;

private:
    QLineEdit* m_password = nullptr;
};
