#include "serveraddressdialog.h"

#include "messages.h"
#include "windowlook.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ServerAddressDialog::ServerAddressDialog(QWidget* parent, const QString& title, const QString& proposed)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ServerAddressDialog"));
    setWindowTitle(title);
    WindowLook::apply(this);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("共享账簿地址(&D):"), this);
    m_edit = new QLineEdit(proposed, this);
    m_edit->setObjectName(QStringLiteral("AddressEdit"));
    m_edit->setPlaceholderText(QStringLiteral("postgresql://用户@服务器[:端口]/库"));
    m_edit->setAccessibleName(QStringLiteral("共享账簿地址"));
    m_edit->setMinimumWidth(420);
    label->setBuddy(m_edit);
    auto* hint = new QLabel(QStringLiteral("服务器上的账簿要用 jiazhuang-server-init 准备好，并且还是空的。"), this);
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerAddressDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerAddressDialog::reject);
}

void ServerAddressDialog::accept() {
    QString problem;
    const ServerAddress address = ServerAddress::parse(m_edit->text().trimmed(), &problem);
    if (!address.isValid()) {
        Messages::warning(this, problem.isEmpty() ? QStringLiteral("这不是共享账簿的地址") : problem);
        m_edit->setFocus();
        return;
    }
    m_address = address;
    QDialog::accept();
}
