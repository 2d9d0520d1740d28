#pragma once

#include "serveraddress.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;
class QSpinBox;

// "连接共享账簿": the server, port, database and user of a shared ledger, and a CA
// file when the server's certificate is to be checked. 连接 signs in, makes sure the
// database holds a ledger and only then hands it to the program; 本地账簿 goes back
// to the file of the working folder. A failure leaves the open ledger as it was and
// the fields as they were typed; the message offers the newest intact local backup
// of that shared ledger, read-only, when there is one. The choice that went through
// is remembered.
class ConnectDialog : public QDialog {
    Q_OBJECT
public:
    // Turning the program to a ledger; false when it could not (a window stayed
    // open), and the dialog stays.
    using ToServer = std::function<bool(const ServerAddress& address, const QString& password)>;
    using ToLocalFile = std::function<bool()>;
    // The newest local backup of a shared ledger that cannot be reached, read-only.
    using ToReadOnlyCopy = std::function<bool(const QString& copyPath)>;

    ConnectDialog(QWidget* parent, ToServer toServer, ToLocalFile toLocalFile, ToReadOnlyCopy toCopy = {});

    // The fields as typed; invalid while one is missing.
    ServerAddress address() const;

private:
    void build();
    void fill(const ServerAddress& address);
    void chooseCaFile();
    void connectToServer();
    void useLocalFile();
    bool fieldsComplete();

    ToServer m_toServer;
    ToLocalFile m_toLocalFile;
    ToReadOnlyCopy m_toCopy;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_database = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_caFile = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_localButton = nullptr;
};
