#pragma once

#include "tablesnapshot.h"

class LedgerListModel;
class LedgerQuery;

// The ledger browser's list as the exports write it: every column shown, the
// entry's key and 全额支付 (是/否), its locations and its text, the rows in list
// order, and a last line with the totals (total, paid, unpaid). The date range is
// the last 查询's. Rows are read from the model as the writer asks for them.
TableSnapshot ledgerListSnapshot(const LedgerListModel& model, const LedgerQuery& query);
