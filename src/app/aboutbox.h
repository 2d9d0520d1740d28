#pragma once

#include <QDialog>

class QLabel;
class QToolButton;

// The about box: a frameless box showing the product's picture, with a flat button
// over the web address drawn in it. Created once at start-up, shown modally again
// and again.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // The picture as decoded from its JPEG file; null when it could not be read.
    const QImage& picture() const { return m_picture; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void Image1Click();
    void SpeedButton1Click();

private:
    QImage m_picture;
    QLabel* m_Image1 = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
};
