#include "ledgerlistactions.h"

namespace LedgerListActions {

namespace {

QVector<Maker>& makers() {
    static QVector<Maker> list;
    return list;
}

} // namespace

void add(Maker maker) {
    makers().append(std::move(maker));
}

const QVector<Maker>& all() {
    return makers();
}

} // namespace LedgerListActions
