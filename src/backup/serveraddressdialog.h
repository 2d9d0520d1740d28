#pragma once

#include "serveraddress.h"

#include <QDialog>

class QLineEdit;

// Asks for the address of a shared ledger in the form the program takes on its
// command line (postgresql://用户@服务器[:端口]/库); an address that does not parse
// is refused with the reason and the dialog stays open.
class ServerAddressDialog : public QDialog {
    Q_OBJECT
public:
    ServerAddressDialog(QWidget* parent, const QString& title, const QString& proposed = {});

    ServerAddress address() const { return m_address; }

    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
    ServerAddress m_address;
};
