#pragma once

#include <QDialog>
#include <QHash>
#include <QVector>
#include <functional>

class QComboBox;
class QLineEdit;

// A small modal form of labelled fields, for the records of the contract window.
// Each field is a line of text or a choice of named keys; each label is its field's
// buddy and accessible name. 确定 asks the check first: a text it returns is shown
// as an error and the form stays open with what was typed.
class RecordForm : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        qint64 key;
        QString name;
    };

    RecordForm(const QString& title, QWidget* parent = nullptr);

    // A line of text; hint is shown while it is empty.
    void addText(const QString& name, const QString& caption, const QString& value, const QString& hint = {});
    void addChoice(const QString& name, const QString& caption, const QVector<Choice>& choices,
                   qint64 current);

    QString text(const QString& name) const; // trimmed
    qint64 choice(const QString& name) const;
    QLineEdit* lineEdit(const QString& name) const { return m_texts.value(name); }
    QComboBox* comboBox(const QString& name) const { return m_choices.value(name); }

    using Check = std::function<QString()>;
    void setCheck(Check check) { m_check = std::move(check); }

    void accept() override;

private:
    void addRow(const QString& caption, QWidget* field);

    QHash<QString, QLineEdit*> m_texts;
    QHash<QString, QComboBox*> m_choices;
    Check m_check;
    class QFormLayout* m_form;
};
