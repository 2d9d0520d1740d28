#pragma once

#include "rowsource.h"

// A row source without data of its own: it runs rows 0 to N-1, and the program's
// value callback reads currentRow() to know which of its own rows is printing.
class UserRowSource : public RowSource {
public:
    void setRowCount(int count) { m_count = count < 0 ? 0 : count; }
    int rowCount() const { return m_count; }
    int currentRow() const { return m_row; }

    void first() override { m_row = 0; }
    void next() override {
        if (m_row < m_count)
            ++m_row;
    }
    bool eof() const override { return m_row >= m_count; }

private:
    int m_count = 0;
    int m_row = 0;
};
