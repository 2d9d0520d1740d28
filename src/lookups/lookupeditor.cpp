#include "lookupeditor.h"

#include "conflictdialog.h"

#include "chinesefonts.h"
#include "frame.h"
#include "gbklimit.h"
#include "messages.h"
#include "numbertext.h"
#include "outersize.h"
#include "pictures.h"
#include "query.h"
#include "querymodel.h"
#include "wheelstepping.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor skyBlue(166, 202, 240);
const QColor moneyGreen(192, 220, 192);

QFont windowFont() {
    return ChineseFonts::songTi(16);
}

QFont gridFont() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(16);
    return font;
}

QFrame* bevel(QWidget* parent, const char* name, int x, int y) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(x, y, 233, 2);
    return line;
}

} // namespace

LookupEditor::LookupEditor(const LookupConfiguration& configuration, QWidget* parent)
    : QWidget(parent), m_configuration(configuration), m_ADOQuery1(new Query(this)) {
    setObjectName(QString::fromLatin1(configuration.objectName));
    m_ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    buildUi();
    placeInFrame();
    FormCreate();
}

void LookupEditor::buildUi() {
    setWindowTitle(QString::fromUtf8(m_configuration.caption));
    setWindowIcon(Pictures::icon(m_configuration.sizeable ? 7 : 13));
    setFont(windowFont());
    QPalette background = palette();
    background.setColor(QPalette::Window, skyBlue);
    setPalette(background);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_GroupBox1 = new QGroupBox(this);
    m_GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    layout->addWidget(m_GroupBox1);

    m_DBGrid1 = new QTableView(m_GroupBox1);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setAccessibleName(QString::fromUtf8(m_configuration.listName));
    m_DBGrid1->setGeometry(8, 16, 249, 353);
    m_DBGrid1->setFont(gridFont());
    QPalette grid = m_DBGrid1->palette();
    grid.setColor(QPalette::Base, Qt::white);
    grid.setColor(QPalette::Text, Qt::blue);
    m_DBGrid1->setPalette(grid);
    m_DBGrid1->horizontalHeader()->hide();
    m_DBGrid1->verticalHeader()->hide();
    m_DBGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_DBGrid1->font()).height() + 4);
    m_DBGrid1->setShowGrid(false);
    m_DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_DBGrid1->setWordWrap(false);
    m_model =
        new QueryModel(m_ADOQuery1, {{QString::fromLatin1(m_configuration.nameColumn), QString()}}, this);
    m_DBGrid1->setModel(m_model);
    m_DBGrid1->setColumnWidth(0, 225);
    m_model->bindCurrentRow(m_DBGrid1);

    m_Label1 = new QLabel(QStringLiteral("名称  "), m_GroupBox1);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->move(288, 32);
    m_Edit1 = new QLineEdit(m_GroupBox1);
    m_Edit1->setObjectName(QStringLiteral("Edit1"));
    m_Edit1->setGeometry(328, 28, 201, 24);
    m_Edit1->setAccessibleName(QStringLiteral("名称"));
    m_Edit1->setEnabled(false);
    setGbkLimit(m_Edit1, 30);
    m_Label1->setBuddy(m_Edit1);

    m_Label2 = new QLabel(QStringLiteral("编号 "), m_GroupBox1);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Label2->move(288, 70);
    m_DBEdit1 = new QLineEdit(m_GroupBox1);
    m_DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    m_DBEdit1->setGeometry(328, 64, 201, 24);
    m_DBEdit1->setAccessibleName(QStringLiteral("编号"));
    m_DBEdit1->setReadOnly(true);
    QPalette key = m_DBEdit1->palette();
    key.setColor(QPalette::Base, moneyGreen);
    m_DBEdit1->setPalette(key);
    m_Label2->setBuddy(m_DBEdit1);

    m_Label3 = new QLabel(QStringLiteral(" "), m_GroupBox1);
    m_Label3->setObjectName(QStringLiteral("Label3"));
    m_Label3->setGeometry(392, 104, 137, 20);
    QPalette status = m_Label3->palette();
    status.setColor(QPalette::WindowText, Qt::red);
    m_Label3->setPalette(status);

    m_Bevel1 = bevel(m_GroupBox1, "Bevel1", 296, 136);
    m_SpeedButton1 = addButton("SpeedButton1", QStringLiteral("新增"), 304, 157);
    m_SpeedButton2 = addButton("SpeedButton2", QStringLiteral("修改 "), 424, 157);
    m_SpeedButton3 = addButton("SpeedButton3", QStringLiteral("保存 "), 304, 213);
    m_SpeedButton5 = addButton("SpeedButton5", QStringLiteral("取消 "), 424, 213);
    m_SpeedButton6 = addButton("SpeedButton6", QStringLiteral("刷新 "), 304, 269);
    m_SpeedButton4 = addButton("SpeedButton4", QStringLiteral("删除"), 424, 269);
    m_Bevel2 = bevel(m_GroupBox1, "Bevel2", 296, 316);
    m_SpeedButton7 = addButton("SpeedButton7", QStringLiteral("退出"), 424, 325);
    m_SpeedButton1->setIcon(Pictures::button(Pictures::Button::Add));
    m_SpeedButton2->setIcon(Pictures::button(Pictures::Button::Edit));
    m_SpeedButton3->setIcon(Pictures::button(Pictures::Button::Save));
    m_SpeedButton5->setIcon(Pictures::button(Pictures::Button::Cancel));
    m_SpeedButton6->setIcon(Pictures::button(Pictures::Button::Refresh));
    m_SpeedButton4->setIcon(Pictures::button(Pictures::Button::Delete));
    m_SpeedButton7->setIcon(Pictures::button(Pictures::Button::Exit));
    m_SpeedButton3->setEnabled(false);
    m_SpeedButton5->setEnabled(false);

    connect(m_SpeedButton1, &QToolButton::clicked, this, &LookupEditor::SpeedButton1Click);
    connect(m_SpeedButton2, &QToolButton::clicked, this, &LookupEditor::SpeedButton2Click);
    connect(m_SpeedButton3, &QToolButton::clicked, this, &LookupEditor::SpeedButton3Click);
    connect(m_SpeedButton5, &QToolButton::clicked, this, &LookupEditor::SpeedButton5Click);
    connect(m_SpeedButton6, &QToolButton::clicked, this, &LookupEditor::SpeedButton6Click);
    connect(m_SpeedButton4, &QToolButton::clicked, this, &LookupEditor::SpeedButton4Click);
    connect(m_SpeedButton7, &QToolButton::clicked, this, &LookupEditor::SpeedButton7Click);

    // The key box shows the current row's key; every change of it is DBEdit1Change.
    connect(m_ADOQuery1, &Query::currentRowChanged, this, &LookupEditor::showCurrentKey);
    connect(m_ADOQuery1, &Query::didReset, this, &LookupEditor::showCurrentKey);
    connect(m_ADOQuery1, &Query::rowChanged, this, &LookupEditor::showCurrentKey);

    setTabOrder(m_DBGrid1, m_Edit1);
    setTabOrder(m_Edit1, m_DBEdit1);
    QWidget* previous = m_DBEdit1;
    for (QWidget* button : {m_SpeedButton1, m_SpeedButton2, m_SpeedButton3, m_SpeedButton5, m_SpeedButton6,
                            m_SpeedButton4, m_SpeedButton7}) {
        setTabOrder(previous, button);
        previous = button;
    }
}

QToolButton* LookupEditor::addButton(const char* name, const QString& caption, int x, int y) {
    auto* button = new QToolButton(m_GroupBox1);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    button->setGeometry(x, y, 97, 36);
    return button;
}

// A title bar with the system menu and a minimise box, no maximise box; the project
// editor is sizeable, the category editor has a fixed frame.
void LookupEditor::placeInFrame() {
    const Qt::WindowFlags titleBar = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                     Qt::WindowCloseButtonHint;
    setWindowFlags(Qt::Window | titleBar);
    if (!m_configuration.sizeable)
        setFixedSize(m_configuration.size);
    QMdiSubWindow* sub = Frame::addChild(this);
    QWidget* outer = Frame::outerWindow(this);
    if (sub) {
        sub->setWindowFlags(Qt::SubWindow | titleBar);
        sub->show();
    }
    if (m_configuration.sizeable) {
        OuterSize::apply(outer, m_configuration.size);
    } else if (sub) {
        sub->adjustSize();
        sub->setFixedSize(sub->size());
    }
    Frame::centreOnMainWindow(this);
}

void LookupEditor::FormCreate() {
    try {
        m_ADOQuery1->setSql(m_configuration.listSql());
        m_ADOQuery1->open();
        m_editState = BrowseState;
        m_Edit1->setText(currentName());
        AttachGridWheelStepping(m_DBGrid1, m_ADOQuery1);
    } catch (const std::exception&) {
    }
}

QString LookupEditor::currentName() const {
    if (!m_ADOQuery1->isOpen() || m_ADOQuery1->currentRow() < 0)
        return QString();
    return trimmedText(m_ADOQuery1->text(QString::fromLatin1(m_configuration.nameColumn)));
}

void LookupEditor::showCurrentKey() {
    QString key;
    if (m_ADOQuery1->isOpen() && m_ADOQuery1->currentRow() >= 0) {
        const QVariant mid =
            m_ADOQuery1->valueAt(m_ADOQuery1->currentRow(), m_ADOQuery1->columnIndex(QStringLiteral("MID")));
        key = mid.isNull() ? QString() : mid.toString();
    }
    m_DBEdit1->setText(key);
    DBEdit1Change();
}

void LookupEditor::DBEdit1Change() {
    if (m_editState == NewState)
        return;
    try {
        m_Edit1->setText(currentName());
    } catch (const std::exception&) {
    }
}

// Browse state against the two edit states, as far as both edit states look alike.
void LookupEditor::setEditing(bool editing) {
    m_DBGrid1->setEnabled(!editing);
    m_Edit1->setEnabled(editing);
    m_SpeedButton1->setEnabled(!editing);
    m_SpeedButton2->setEnabled(!editing);
    m_SpeedButton4->setEnabled(!editing);
    m_SpeedButton6->setEnabled(!editing);
    m_SpeedButton3->setEnabled(editing);
    m_SpeedButton5->setEnabled(editing);
    if (editing)
        m_Edit1->setFocus();
}

void LookupEditor::SpeedButton1Click() {
    m_DBEdit1->hide();
    m_Label2->hide();
    m_Edit1->clear();
    m_editState = NewState;
    setEditing(true);
    m_Label3->setText(QStringLiteral("状态:新增  "));
}

void LookupEditor::SpeedButton2Click() {
    m_editState = ModifyState;
    setEditing(true);
    m_Label3->setText(QStringLiteral("状态:修改   "));
}

void LookupEditor::SpeedButton3Click() {
    if (!m_ADOQuery1->isOpen())
        return;
    if (m_editState == ModifyState && m_ADOQuery1->rowCount() == 0)
        return;
    try {
        if (m_editState == ModifyState)
            m_ADOQuery1->edit();
        else
            m_ADOQuery1->append();
        m_ADOQuery1->setValue(QString::fromLatin1(m_configuration.nameColumn), trimmedText(m_Edit1->text()));
        m_ADOQuery1->post();
    } catch (const RowConflict& conflict) {
        m_ADOQuery1->cancel();
        if (!resolveConflict(conflict.details()))
            return;
    } catch (const std::exception&) {
        // The row was not stored: drop it, so the next 保存 begins afresh and no
        // row can be stored twice. The typed name and the state stay.
        m_ADOQuery1->cancel();
        Messages::information(this, QStringLiteral("数据库异常出错误，保存失败!"));
        return;
    }
    SpeedButton5Click();
}

void LookupEditor::SpeedButton5Click() {
    try {
        m_ADOQuery1->cancel();
        m_editState = BrowseState;
        setEditing(false);
        m_Label3->clear();
        m_DBEdit1->show();
        m_Label2->show();
        m_Edit1->setText(currentName());
    } catch (const std::exception&) {
    }
}

void LookupEditor::SpeedButton6Click() {
    try {
        m_ADOQuery1->close();
        m_ADOQuery1->open();
    } catch (const std::exception&) {
    }
}

void LookupEditor::SpeedButton4Click() {
    if (!Messages::ask(this, QStringLiteral("你确定要删除当前数据吗？")))
        return;
    if (!m_ADOQuery1->isOpen() || m_ADOQuery1->rowCount() == 0)
        return;
    try {
        m_ADOQuery1->remove();
    } catch (const RowConflict& conflict) {
        resolveConflict(conflict.details());
    } catch (const std::exception&) {
        Messages::information(this, QStringLiteral("数据库错误，删除失败"));
    }
}

// Someone else renamed or deleted the row since this window read the list; the user
// chooses. True when the user's version was stored.
bool LookupEditor::resolveConflict(const RowConflict::Details& conflict) {
    try {
        switch (ConflictDialog::ask(this, conflict)) {
        case ConflictDialog::Cancel:
            return false;
        case ConflictDialog::KeepMine:
            m_ADOQuery1->storeOverConflict(conflict);
            return true;
        case ConflictDialog::TakeTheirs:
            m_ADOQuery1->reloadCurrentRow();
            SpeedButton5Click();
            return false;
        }
    } catch (const DbError&) {
        Messages::information(this, QStringLiteral("数据库异常出错误，保存失败!"));
    }
    return false;
}

void LookupEditor::SpeedButton7Click() {
    Frame::outerWindow(this)->close();
}

void LookupEditor::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}
