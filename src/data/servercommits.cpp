#include "servercommits.h"

#include <cstdlib>
#include <cstring>

#include <libpq-events.h>
#include <libpq-fe.h>

namespace ServerCommits {

namespace {

struct Counter {
    quint64* count = nullptr;
    bool wrote = false; // the open transaction block changed something
};

int connectionEvents(PGEventId event, void* info, void*) {
    if (event == PGEVT_CONNDESTROY) {
        auto* destroyed = static_cast<PGEventConnDestroy*>(info);
        delete static_cast<Counter*>(PQinstanceData(destroyed->conn, connectionEvents));
    }
    return 1;
}

bool startsWith(const char* text, const char* word) {
    return std::strncmp(text, word, std::strlen(word)) == 0;
}

// The command tag of a statement that changed the ledger: rows written, or the
// tables themselves.
bool wrote(const pg_result* result) {
    const char* tag = PQcmdStatus(const_cast<pg_result*>(result));
    for (const char* rows : {"INSERT", "UPDATE", "DELETE", "MERGE", "COPY"}) {
        if (startsWith(tag, rows))
            return std::atoi(PQcmdTuples(const_cast<pg_result*>(result))) > 0;
    }
    for (const char* tables : {"CREATE", "ALTER", "DROP", "TRUNCATE", "GRANT", "REVOKE", "COMMENT"}) {
        if (startsWith(tag, tables))
            return true;
    }
    return false;
}

} // namespace

void countInto(pg_conn* connection, quint64* count) {
    if (auto* counter = static_cast<Counter*>(PQinstanceData(connection, connectionEvents))) {
        counter->count = count;
        return;
    }
    if (!PQregisterEventProc(connection, connectionEvents, "jiazhuang-commits", nullptr))
        return;
    auto* counter = new Counter;
    counter->count = count;
    if (!PQsetInstanceData(connection, connectionEvents, counter))
        delete counter;
}

void noteStatement(pg_conn* connection, bool inTransaction, const pg_result* result) {
    auto* counter = static_cast<Counter*>(PQinstanceData(connection, connectionEvents));
    if (!counter || !result)
        return;
    if (!inTransaction)
        counter->wrote = false; // whatever was left of a block that failed is gone
    const bool open = PQtransactionStatus(connection) != PQTRANS_IDLE;
    if (wrote(result)) {
        if (!inTransaction && !open)
            ++*counter->count; // committed by itself
        else
            counter->wrote = true;
        return;
    }
    if (!open) {
        // A COMMIT of a block that failed reports ROLLBACK.
        if (counter->wrote && std::strcmp(PQcmdStatus(const_cast<pg_result*>(result)), "COMMIT") == 0)
            ++*counter->count;
        counter->wrote = false;
    }
}

} // namespace ServerCommits
