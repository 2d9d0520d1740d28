#pragma once

#include "rowguard.h"

#include <QDialog>

class QTableWidget;

// Tells the user that a row they meant to store was changed or deleted by someone
// else since their window read it: who and when, and the two versions side by side.
// They choose: take the other version, keep theirs (stored deliberately as a new
// version), or cancel. Every kind of row uses this one dialog; RowKinds says how
// each is named.
class ConflictDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { TakeTheirs = 1, KeepMine = 2, Cancel = 0 };

    ConflictDialog(const RowConflict::Details& conflict, QWidget* parent = nullptr);

    // Shows the dialog and returns the choice; closing it cancels.
    static Choice ask(QWidget* parent, const RowConflict::Details& conflict);
    // The sentence at the top, e.g. "这条账目在你打开之后已被 小林 于 14:02 修改……".
    static QString message(const RowConflict::Details& conflict);

private:
    void fillVersions(const RowConflict::Details& conflict);

    QTableWidget* m_versions = nullptr;
};
