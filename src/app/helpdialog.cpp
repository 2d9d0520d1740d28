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

// What the program learnt after the note above: shown below it, after an empty line.
const char* const moreHelpLines[] = {
    "(4)后来增加的功能:",
    "    (A)预算管理(账目统计菜单):给每个工程、材料类型和全部账目填写预算,按[保存]",
    "       存入账簿;表格列出已用、已付、未付、剩余和已用比例,图上每一项的预算和",
    "       已用并排显示.保存账目后某项预算用到90%或超出时会提醒.",
    "    (B)备份与恢复(系统管理菜单):程序每天自动备份账簿;这里可以立即备份,",
    "       或者用选中的备份恢复账簿(恢复前会先把当前账簿也备份一份).",
    "    (C)附件:账目编辑窗口里可以给一笔账目附上发票、合同的照片或文件,",
    "       账目列表里有回形针的账目带有附件.",
    "    (D)导出:账目列表、统计表格和日记列表上按鼠标右键(或菜单键),可以把",
    "       显示的内容导出为CSV或Excel表格,或复制到剪贴板.",
    "",
    "(5)键盘操作:",
    "    F10打开第一个菜单;Alt+S打开\"数据管理\",Alt+Z打开\"账目统计\",",
    "    Alt+X打开\"系统管理\",Alt+C打开\"窗口\".Ctrl+Shift+Y打开预算管理,",
    "    Ctrl+Shift+B打开备份与恢复.\"窗口\"菜单列出所有打开的窗口,可以层叠、",
    "    平铺或全部关闭;窗口放大后,下面的图表也跟着变大.",
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

QString ThelpDlg::moreHelpText() {
    QStringList lines;
    for (const char* line : moreHelpLines)
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
    m_RichEdit1->setPlainText(helpText() + QStringLiteral("\n\n") + moreHelpText());

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
