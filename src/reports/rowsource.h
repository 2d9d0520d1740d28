#pragma once

#include <QString>

// The rows a master data band prints, run from the first to the last.
class RowSource {
public:
    virtual ~RowSource() = default;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;

    // The column of the current row for the expression dataset."column". Returns
    // false when dataset is not this source's name; throws ReportError when the
    // source has no such column.
    virtual bool field(const QString& dataset, const QString& column, QString& value) const {
        Q_UNUSED(dataset)
        Q_UNUSED(column)
        Q_UNUSED(value)
        return false;
    }
};
