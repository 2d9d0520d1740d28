#include "connectdialog.h"

#include "database.h"
#include "filedialogs.h"
#include "ledgerchoice.h"
#include "messages.h"
#include "offlinecopy.h"
#include "serverlogin.h"
#include "windowlook.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

ConnectDialog::ConnectDialog(QWidget* parent, ToServer toServer, ToLocalFile toLocalFile,
                             ToReadOnlyCopy toCopy)
    : QDialog(parent), m_toServer(std::move(toServer)), m_toLocalFile(std::move(toLocalFile)),
      m_toCopy(std::move(toCopy)) {
    setObjectName(QStringLiteral("ConnectDialog"));
    setWindowTitle(QStringLiteral("连接共享账簿"));
    WindowLook::apply(this);
    build();
    const Database& database = Database::instance();
    fill(database.isServer() ? database.server() : LedgerChoice::lastServer());
    m_localButton->setEnabled(database.isServer() || database.isReadOnly());
}

void ConnectDialog::build() {
    auto* form = new QFormLayout;
    const auto field = [&](const char* name, const QString& caption, QWidget* input) {
        input->setObjectName(QString::fromLatin1(name));
        input->setAccessibleName(caption);
        auto* label = new QLabel(caption, this);
        label->setBuddy(input);
        form->addRow(label, input);
    };
    m_host = new QLineEdit(this);
    m_host->setPlaceholderText(QStringLiteral("名称、IP 地址，或服务器套接字的文件夹"));
    field("HostEdit", QStringLiteral("服务器"), m_host);
    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_port->setValue(5432);
    field("PortEdit", QStringLiteral("端口"), m_port);
    m_database = new QLineEdit(this);
    field("DatabaseEdit", QStringLiteral("数据库"), m_database);
    m_user = new QLineEdit(this);
    field("UserEdit", QStringLiteral("用户"), m_user);

    // The CA file is optional; with one the server's certificate must be signed by it.
    auto* caRow = new QWidget(this);
    auto* caLayout = new QHBoxLayout(caRow);
    caLayout->setContentsMargins(0, 0, 0, 0);
    m_caFile = new QLineEdit(caRow);
    m_caFile->setObjectName(QStringLiteral("CaFileEdit"));
    m_caFile->setAccessibleName(QStringLiteral("证书"));
    m_caFile->setPlaceholderText(QStringLiteral("可不填；填写时校验服务器的证书"));
    auto* browse = new QPushButton(QStringLiteral("选择…"), caRow);
    browse->setObjectName(QStringLiteral("CaFileButton"));
    browse->setAccessibleName(QStringLiteral("选择证书文件"));
    caLayout->addWidget(m_caFile, 1);
    caLayout->addWidget(browse);
    auto* caLabel = new QLabel(QStringLiteral("证书"), this);
    caLabel->setBuddy(m_caFile);
    form->addRow(caLabel, caRow);

    auto* buttons = new QDialogButtonBox(this);
    m_connectButton = buttons->addButton(QStringLiteral("连接"), QDialogButtonBox::ActionRole);
    m_connectButton->setObjectName(QStringLiteral("ConnectButton"));
    m_connectButton->setDefault(true);
    m_localButton = buttons->addButton(QStringLiteral("本地账簿"), QDialogButtonBox::ActionRole);
    m_localButton->setObjectName(QStringLiteral("LocalButton"));
    m_localButton->setToolTip(QStringLiteral("回到当前文件夹里的账簿文件"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(browse, &QPushButton::clicked, this, &ConnectDialog::chooseCaFile);
    connect(m_connectButton, &QPushButton::clicked, this, &ConnectDialog::connectToServer);
    connect(m_localButton, &QPushButton::clicked, this, &ConnectDialog::useLocalFile);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, sizeHint().height());
}

void ConnectDialog::fill(const ServerAddress& address) {
    m_host->setText(address.host);
    if (address.port > 0)
        m_port->setValue(address.port);
    m_database->setText(address.database);
    m_user->setText(address.user.isEmpty() ? qEnvironmentVariable("USER") : address.user);
    m_caFile->setText(address.caFile);
}

ServerAddress ConnectDialog::address() const {
    ServerAddress address;
    address.host = m_host->text().trimmed();
    address.port = m_port->value();
    address.database = m_database->text().trimmed();
    address.user = m_user->text().trimmed();
    address.caFile = m_caFile->text().trimmed();
    return address;
}

void ConnectDialog::chooseCaFile() {
    const QString file = FileDialogs::openFileName(this, QStringLiteral("选择证书文件"),
                                                   QStringLiteral("证书|*.crt;*.pem|所有文件|*"));
    if (!file.isEmpty())
        m_caFile->setText(file);
}

bool ConnectDialog::fieldsComplete() {
    for (QLineEdit* required : {m_host, m_database, m_user}) {
        if (required->text().trimmed().isEmpty()) {
            Messages::warning(this, QStringLiteral("请填写%1。").arg(required->accessibleName()));
            required->setFocus();
            return false;
        }
    }
    const QString caFile = m_caFile->text().trimmed();
    if (!caFile.isEmpty() && !QFileInfo(caFile).isFile()) {
        Messages::warning(this, QStringLiteral("找不到证书文件：%1").arg(caFile));
        m_caFile->setFocus();
        return false;
    }
    return true;
}

void ConnectDialog::connectToServer() {
    if (!fieldsComplete())
        return;
    const ServerAddress chosen = address();
    const ServerLogin::Result login = ServerLogin::connect(this, chosen);
    if (login.outcome == ServerLogin::Result::Cancelled)
        return;
    if (login.outcome == ServerLogin::Result::Failed) {
        if (!m_toCopy) {
            Messages::error(this, login.failure);
            return;
        }
        // The choice stays the server: once it answers again the launcher opens it.
        const QString copy = OfflineCopy::offered(this, chosen, login.failure);
        if (!copy.isEmpty() && m_toCopy(copy))
            accept();
        return;
    }
    if (!m_toServer(chosen, login.password))
        return;
    LedgerChoice::rememberServer(chosen);
    accept();
}

void ConnectDialog::useLocalFile() {
    if (!m_toLocalFile())
        return;
    LedgerChoice::rememberLocalFile();
    accept();
}
