#include "helpdialog.h"

#include "chinesefonts.h"
#include "pictures.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStringList>
#include <QToolButton>

namespace {

const QColor skyBlue(166, 202, 240);

// The text writes "帐目" where the menus write "账目".
const char* const helpLines[] = {
    "    这个小程序是我在自己家装修的时候写的.装修的时候花钱如流水,今天买",
    "    材料,明天付工钱,到最后连自己也说不清钱都花到哪里去了,于是写了它,",
    "    把每一笔开销都记下来;写完以后,又加上了这个简短的使用说明.",
    "    由于这个程序也不是很复杂,大概说明一下吧.",
    "",
    "",
    "(1)系统管理:",
    "    (A)对应工程设置:装修中的各项工程,比如水电改造、电路、木工、泥瓦工等.",
    "    (B)类型设置:所购买材料的类型,比如水泥、瓷砖、电线、水管等.",
    "       这两项里已经有了一些常用的项目,您可以修改,也可以自己添加.",
    "",
    "(2)数据管理:",
    "    (A)装修帐目管理:装修帐目的录入、修改、查询和删除.建议每一样东西都单独",
    "       记一笔,比如在同一家店里买了电线和水管,最好分成两笔记录;在备注里",
    "       最好写上店铺的名称和电话,以后需要换货、补货或者保修的时候,找起来",
    "       就方便了.",
    "    (B)装修日记管理:记下装修过程中的一些事情,比如买东西或者请工人的时候",
    "       花了冤枉钱,以后翻出来看看,也是一种经验.",
    "",
    "(3)帐目统计:",
    "    (A)按费用方式统计:按材料费、人工费、包工包料分别统计花费,看看哪一种",
    "       费用花钱最多.",
    "    (B)按对应工程统计:按装修中的各项工程统计花费,看看每一项工程",
    "       一共花了多少钱.",
    "    (C)按材料类型统计:按所购买材料的类型统计花费.",
    "    (D)按材料所用位置统计:看看钱都花在了哪里:大厅、房间、厨房等等.",
    "    (E)按日期统计:统计装修期间每一天的花费.",
    "以上各项统计,只要输入起止日期,然后按[统计]就可以了.",
};

QFont songTi16() {
    return ChineseFonts::songTi(16);
}

} // namespace

QString ThelpDlg::helpText() {
    QStringList lines;
    for (const char* line : helpLines)
        lines.append(QString::fromUtf8(line));
    return lines.join(QLatin1Char('\n'));
}

ThelpDlg::ThelpDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("helpDlg"));
    setWindowTitle(QStringLiteral("使用说明"));
    setFixedSize(729, 572);
    setFont(songTi16());
    QPalette background = palette();
    background.setColor(QPalette::Window, skyBlue);
    setPalette(background);
    setAutoFillBackground(true);

    m_RichEdit1 = new QPlainTextEdit(this);
    m_RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    m_RichEdit1->setGeometry(0, 0, 729, 521);
    m_RichEdit1->setReadOnly(true);
    m_RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_RichEdit1->setAccessibleName(QStringLiteral("使用说明"));
    QPalette text = m_RichEdit1->palette();
    text.setColor(QPalette::Base, text.color(QPalette::ToolTipBase));
    text.setColor(QPalette::Text, text.color(QPalette::ToolTipText));
    m_RichEdit1->setPalette(text);
    m_RichEdit1->setPlainText(helpText());

    m_SpeedButton1 = new QToolButton(this);
    m_SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_SpeedButton1->setText(QStringLiteral("退  出"));
    m_SpeedButton1->setIcon(Pictures::button(Pictures::Button::Exit));
    m_SpeedButton1->setIconSize(QSize(20, 20));
    m_SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_SpeedButton1->setAutoRaise(true);
    m_SpeedButton1->setGeometry(600, 528, 113, 33);
    connect(m_SpeedButton1, &QToolButton::clicked, this, &ThelpDlg::SpeedButton1Click);
}

void ThelpDlg::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    QDialog::showEvent(event);
}

void ThelpDlg::SpeedButton1Click() {
    accept();
}
