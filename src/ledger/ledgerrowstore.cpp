#include "ledgerrowstore.h"

void LedgerRowStore::clear() {
    m_text.clear();
    m_rows.clear();
    m_unused = 0;
}

void LedgerRowStore::beginRow() {
    m_building = Row{};
    m_building.start = qsizetype(m_text.size());
    m_cellsBuilt = 0;
}

void LedgerRowStore::addCell(const char* utf8, qsizetype size) {
    if (size > 0)
        m_text.append(utf8, size_t(size));
    m_building.ends[m_cellsBuilt++] = quint32(qsizetype(m_text.size()) - m_building.start);
}

void LedgerRowStore::endRow() {
    while (m_cellsBuilt < cellCount)
        addCell(nullptr, 0);
    finish(m_building);
    m_rows.append(m_building);
}

void LedgerRowStore::finish(Row& row) const {
    const auto number = [this, &row](int column) {
        const quint32 begin = column == 0 ? 0 : row.ends[column - 1];
        return LedgerRow::cellNumber(
            QByteArrayView(m_text.data() + row.start + begin, qsizetype(row.ends[column] - begin)));
    };
    const int amount = 1 + LedgerRow::Amount;
    const int marker = 1 + LedgerRow::PaidMarker;
    const quint32 markerBegin = row.ends[marker - 1];
    const bool paidInFull =
        row.ends[marker] - markerBegin == 1 && m_text[size_t(row.start + markerBegin)] == 'Y';
    row.amount = number(amount);
    row.paid = paidInFull ? row.amount : number(1 + LedgerRow::Deposit);
}

void LedgerRowStore::append(const LedgerRow& row) {
    beginRow();
    const QByteArray caption = row.caption.toUtf8();
    addCell(caption.constData(), caption.size());
    for (const QString& item : row.subItems) {
        const QByteArray text = item.toUtf8();
        addCell(text.constData(), text.size());
    }
    endRow();
}

void LedgerRowStore::replace(int index, const LedgerRow& row) {
    append(row);
    m_unused += m_rows[index].ends[cellCount - 1];
    m_rows[index] = m_rows.takeLast();
    compactIfWasteful();
}

void LedgerRowStore::remove(int index, int count) {
    for (int i = index; i < index + count; ++i)
        m_unused += m_rows[i].ends[cellCount - 1];
    m_rows.remove(index, count);
    compactIfWasteful();
}

void LedgerRowStore::compactIfWasteful() {
    if (m_unused < 4096 || m_unused < qsizetype(m_text.size()) / 2)
        return;
    std::string text;
    text.reserve(m_text.size() - size_t(m_unused));
    for (Row& row : m_rows) {
        const qsizetype start = qsizetype(text.size());
        text.append(m_text.data() + row.start, row.ends[cellCount - 1]);
        row.start = start;
    }
    m_text = std::move(text);
    m_unused = 0;
}

QString LedgerRowStore::cell(int index, int column) const {
    const Row& row = m_rows[index];
    const quint32 begin = column == 0 ? 0 : row.ends[column - 1];
    return QString::fromUtf8(m_text.data() + row.start + begin, qsizetype(row.ends[column] - begin));
}

LedgerRow LedgerRowStore::row(int index) const {
    LedgerRow row;
    row.caption = cell(index, 0);
    for (int i = 0; i < LedgerRow::subItemCount; ++i)
        row.subItems[i] = cell(index, 1 + i);
    return row;
}
