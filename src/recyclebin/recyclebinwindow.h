#pragma once

#include "recyclebin.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QSpinBox;
class QToolButton;
class QTreeWidget;

// The window "回收站": deleted ledger entries and diary entries with who deleted
// them and when. 恢复 puts the chosen one back under its old key, 彻底删除 removes it
// for good; how many days deleted rows are kept is set here too.
class RecycleBinWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecycleBinWindow(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void restoreChosen();
    void removeChosen();

private:
    void buildUi();
    void refresh();
    const RecycleBin::Item* chosen() const;
    void chosenChanged();

    QLabel* m_note = nullptr;
    QTreeWidget* m_list = nullptr;
    QSpinBox* m_keepDays = nullptr;
    QToolButton* m_restoreButton = nullptr;
    QToolButton* m_removeButton = nullptr;
    QToolButton* m_exitButton = nullptr;
    QVector<RecycleBin::Item> m_items;
};

extern QPointer<RecycleBinWindow> RecycleBinForm;
