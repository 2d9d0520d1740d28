#include "ledgereditor.h"

#include "datepicker.h"
#include "gbklimit.h"
#include "ledgerlook.h"
#include "pictures.h"
#include "sqltexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>

// The ledger editor's controls: where each sits, its caption, its picture and the
// handler its button runs. The handlers themselves are in ledgereditor.cpp.

namespace {

QLabel* addLabel(QWidget* parent, const char* objectName, const QString& caption, int x, int y,
                 QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->move(x, y);
    label->adjustSize();
    if (buddy) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(caption);
    }
    return label;
}

template <class Box> Box* addBox(QWidget* parent, const char* objectName, const QRect& geometry) {
    auto* box = new Box(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(geometry);
    return box;
}

QFrame* addSeparator(QWidget* parent, const QRect& geometry) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}

QToolButton* addButton(QWidget* parent, const char* objectName, const QString& caption,
                       Pictures::Button picture, const QRect& geometry) {
    QToolButton* button = LedgerLook::flatButton(parent, objectName, caption, Pictures::button(picture));
    button->setGeometry(geometry);
    return button;
}

} // namespace

void TForm4::buildTopGroup() {
    m_GroupBox1 = addBox<QGroupBox>(this, "GroupBox1", QRect(0, 0, width(), 121));
    QGroupBox* g = m_GroupBox1;

    m_Edit1 = addBox<QLineEdit>(g, "Edit1", QRect(96, 16, 409, 24));
    setGbkLimit(m_Edit1, 50);
    addLabel(g, "Label1", QStringLiteral("名    称"), 16, 20, m_Edit1);

    m_ComboBox4 = addBox<QComboBox>(g, "ComboBox4", QRect(624, 16, 145, 24));
    addLabel(g, "Label11", QStringLiteral("类    型"), 536, 20, m_ComboBox4);

    m_DateTimePicker1 = addBox<QDateEdit>(g, "DateTimePicker1", QRect(96, 48, 137, 24));
    setUpDatePicker(m_DateTimePicker1);
    m_DateTimePicker1->setDate(QDate::currentDate());
    addLabel(g, "Label2", QStringLiteral("付款日期"), 16, 52, m_DateTimePicker1);

    m_ComboBox1 = addBox<QComboBox>(g, "ComboBox1", QRect(360, 48, 145, 24));
    addLabel(g, "Label3", QStringLiteral("对应工程"), 272, 52, m_ComboBox1);

    m_ComboBox2 = addBox<QComboBox>(g, "ComboBox2", QRect(624, 48, 145, 24));
    addLabel(g, "Label4", QStringLiteral("费用方式"), 536, 52, m_ComboBox2);

    m_Edit2 = addBox<QLineEdit>(g, "Edit2", QRect(96, 80, 137, 24));
    addLabel(g, "Label5", QStringLiteral("单价(元)"), 16, 85, m_Edit2);

    m_Edit3 = addBox<QLineEdit>(g, "Edit3", QRect(360, 80, 145, 24));
    addLabel(g, "Label8", QStringLiteral("数    量"), 272, 85, m_Edit3);

    m_ComboBox3 = addBox<QComboBox>(g, "ComboBox3", QRect(624, 80, 145, 24));
    m_ComboBox3->setEditable(true);
    m_ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    m_ComboBox3->addItems({QStringLiteral("平米"), QStringLiteral("米(M)"), QStringLiteral("立方"),
                           QStringLiteral("包"), QStringLiteral("块"), QStringLiteral("批"),
                           QStringLiteral("次"), QStringLiteral("条"), QStringLiteral("卷"),
                           QStringLiteral("个")});
    m_ComboBox3->setCurrentIndex(-1);
    setGbkLimit(m_ComboBox3, 10);
    addLabel(g, "Label7", QStringLiteral("规    格"), 536, 85, m_ComboBox3);

    for (QLineEdit* box : {m_Edit2, m_Edit3})
        box->installEventFilter(this);
}

void TForm4::buildLocationGroup() {
    m_GroupBox3 = addBox<QGroupBox>(this, "GroupBox3", QRect(0, 121, width(), 64));
    m_GroupBox3->setTitle(QStringLiteral("所用位置"));
    static const int xs[9] = {16, 80, 152, 224, 312, 384, 456, 528, 608};
    for (int i = 0; i < 9; ++i) {
        const QString caption = QString::fromUtf8(SqlTexts::locations()[i].label);
        const int width = caption.size() == 3 ? 73 : 57;
        m_CheckBoxes[i] = new QCheckBox(caption, m_GroupBox3);
        m_CheckBoxes[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        m_CheckBoxes[i]->setGeometry(xs[i], 30, width, 17);
    }
    addSeparator(m_GroupBox3, QRect(670, 16, 2, 40));
    m_SpeedButton4 = addButton(m_GroupBox3, "SpeedButton4", QStringLiteral("全选"),
                               Pictures::Button::SelectAll, QRect(678, 16, 49, 41));
    m_SpeedButton9 = addButton(m_GroupBox3, "SpeedButton9", QStringLiteral("不选"),
                               Pictures::Button::SelectNone, QRect(728, 16, 49, 41));
    for (QToolButton* button : {m_SpeedButton4, m_SpeedButton9})
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(m_SpeedButton4, &QToolButton::clicked, this, &TForm4::SpeedButton4Click);
    connect(m_SpeedButton9, &QToolButton::clicked, this, &TForm4::SpeedButton9Click);
}

void TForm4::buildPaymentGroup() {
    m_GroupBox2 = addBox<QGroupBox>(this, "GroupBox2", QRect(0, 185, width(), 64));
    QGroupBox* g = m_GroupBox2;
    g->setTitle(QStringLiteral("付款情况"));

    m_RadioButton1 = addBox<QRadioButton>(g, "RadioButton1", QRect(16, 28, 113, 17));
    m_RadioButton1->setText(QStringLiteral("全额支付"));
    m_RadioButton1->setChecked(true);

    m_Edit6 = addBox<QLineEdit>(g, "Edit6", QRect(192, 24, 137, 24));
    addLabel(g, "Label10", QStringLiteral("合计"), 152, 28, m_Edit6);

    auto* panel = addBox<QFrame>(g, "Panel1", QRect(336, 24, 62, 25));
    panel->setFrameShape(QFrame::StyledPanel);
    m_SpeedButton10 = addButton(panel, "SpeedButton10", QStringLiteral("计算"), Pictures::Button::Calculate,
                                QRect(0, 0, 62, 25));
    connect(m_SpeedButton10, &QToolButton::clicked, this, &TForm4::SpeedButton10Click);

    addSeparator(g, QRect(408, 16, 2, 34));

    m_RadioButton2 = addBox<QRadioButton>(g, "RadioButton2", QRect(424, 28, 89, 17));
    m_RadioButton2->setText(QStringLiteral("仅付订金"));

    m_Edit5 = addBox<QLineEdit>(g, "Edit5", QRect(624, 24, 145, 24));
    m_Label9 = addLabel(g, "Label9", QStringLiteral("订金金额"), 552, 28, m_Edit5);
    setDepositEnabled(false);

    // The deposit box follows the option however it gets chosen: by click, by
    // arrow key or by loading an entry.
    connect(m_RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RadioButton1Click();
    });
    connect(m_RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RadioButton2Click();
    });
    for (QLineEdit* box : {m_Edit5, m_Edit6})
        box->installEventFilter(this);
}

void TForm4::buildRightColumn() {
    m_RichEdit1 = addBox<QTextEdit>(this, "RichEdit1", QRect(0, 248, 625, 328));
    m_RichEdit1->setAcceptRichText(false);
    m_RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_RichEdit1->setFont(LedgerLook::songFont(16));
    m_RichEdit1->setReadOnly(true);
    m_RichEdit1->setAccessibleName(QStringLiteral("正文"));

    m_Panel3 = addBox<QLabel>(this, "Panel3", QRect(642, 266, 136, 27));
    m_Panel3->setAlignment(Qt::AlignCenter);
    m_Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QPalette red = m_Panel3->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_Panel3->setPalette(red);

    struct Navigation {
        QToolButton*& button;
        const char* name;
        const char* description;
        Pictures::Button picture;
        void (TForm4::*handler)();
    };
    const Navigation navigation[] = {
        {m_SpeedButton5, "SpeedButton5", "第一条", Pictures::Button::First, &TForm4::SpeedButton5Click},
        {m_SpeedButton6, "SpeedButton6", "上一条", Pictures::Button::Prior, &TForm4::SpeedButton6Click},
        {m_SpeedButton7, "SpeedButton7", "下一条", Pictures::Button::Next, &TForm4::SpeedButton7Click},
        {m_SpeedButton8, "SpeedButton8", "最后一条", Pictures::Button::Last, &TForm4::SpeedButton8Click},
    };
    int x = 0;
    for (const Navigation& n : navigation) {
        n.button = addButton(m_Panel3, n.name, QString(), n.picture, QRect(x, 1, 33, 25));
        n.button->setAccessibleName(QString::fromUtf8(n.description));
        n.button->setToolTip(QString::fromUtf8(n.description));
        connect(n.button, &QToolButton::clicked, this, n.handler);
        x += 34;
    }

    struct Command {
        QToolButton*& button;
        const char* name;
        const char* caption;
        Pictures::Button picture;
        int y;
        void (TForm4::*handler)();
    };
    const Command commands[] = {
        {m_SpeedButton1, "SpeedButton1", "导入正文 ", Pictures::Button::Import, 312,
         &TForm4::SpeedButton1Click},
        {m_SpeedButton11, "SpeedButton11", "新增账目", Pictures::Button::Add, 360,
         &TForm4::SpeedButton11Click},
        {m_SpeedButton12, "SpeedButton12", "修改账目", Pictures::Button::Edit, 400,
         &TForm4::SpeedButton12Click},
        {m_SpeedButton13, "SpeedButton13", "撤消编辑", Pictures::Button::Cancel, 448,
         &TForm4::SpeedButton13Click},
        {m_SpeedButton2, "SpeedButton2", "保存账目", Pictures::Button::Save, 488, &TForm4::SpeedButton2Click},
        {m_SpeedButton3, "SpeedButton3", "结束退出 ", Pictures::Button::Exit, 536,
         &TForm4::SpeedButton3Click},
    };
    for (const Command& c : commands) {
        c.button = addButton(this, c.name, QString::fromUtf8(c.caption), c.picture, QRect(656, c.y, 113, 33));
        connect(c.button, &QToolButton::clicked, this, c.handler);
    }
}

void TForm4::setUpTabOrder() {
    QList<QWidget*> order{m_RichEdit1, m_SpeedButton5,    m_SpeedButton6, m_SpeedButton7, m_SpeedButton8,
                          m_Edit1,     m_DateTimePicker1, m_ComboBox1,    m_ComboBox2,    m_Edit2,
                          m_Edit3,     m_ComboBox4,       m_ComboBox3};
    for (QCheckBox* box : m_CheckBoxes)
        order.append(box);
    order += {m_SpeedButton4,  m_SpeedButton9,  m_RadioButton1, m_RadioButton2,  m_Edit5,
              m_Edit6,         m_SpeedButton10, m_SpeedButton1, m_SpeedButton11, m_SpeedButton12,
              m_SpeedButton13, m_SpeedButton2,  m_SpeedButton3};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}
