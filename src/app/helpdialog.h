#pragma once

#include <QDialog>

class QPlainTextEdit;
class QToolButton;

// The usage help "使用说明": a fixed text on the program's functions. Created once at
// start-up and shown modally; the text keeps its scroll position between showings.
class ThelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit ThelpDlg(QWidget* parent = nullptr);

    static QString helpText();
    // The section on later features and the keyboard, shown after the text above.
    static QString moreHelpText();

protected:
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    void SpeedButton1Click();

private:
    QPlainTextEdit* m_RichEdit1 = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
};
