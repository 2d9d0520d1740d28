// One member's program on a shared ledger, driven line by line on stdin, storing
// through the program's own Query (as the ledger editor saves: row guard and
// history included). It answers each command with one line once it is done, so the
// test waits for its answers and never for time.
//
//   sharing_driver postgresql://USER@HOST/DB     (the password from PGPASSWORD)
//
//   (start)               -> "ready" once the ledger is open, or "F <message>"
//   insert N              stores N entries of whole-fen amounts
//                         -> "inserted <count> <sum of the amounts stored>"
//   read K1 K2 …          reads these entries, as a window lists them -> "read <count>"
//   edit NAME AMOUNT K1 … changes the entries as read to NAME and AMOUNT, one save each
//                         -> "C <key> <author>" for each save refused as a conflict,
//                            "F <key> <message>" for any other failure,
//                            then "edited <saved> <refused>"
//   quit
#include "database.h"
#include "dberror.h"
#include "money.h"
#include "query.h"
#include "serveraddress.h"
#include "sqltexts.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void answer(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The amounts are whole fen with every last digit, so that a sum made of doubles
// would show.
Money amountOf(int serial) {
    return Money::fromFen(qint64(serial) * 7919 % 100000 + 1);
}

class Member {
public:
    void insert(int count) {
        Money sum;
        int stored = 0;
        for (int i = 0; i < count; ++i) {
            const Money amount = amountOf(++m_serial + int(QCoreApplication::applicationPid() % 1000));
            try {
                m_query.setSql(SqlTexts::emptyLedger());
                m_query.open();
                m_query.append();
                m_query.setValue(QStringLiteral("NAMES"), QStringLiteral("材料%1").arg(m_serial));
                m_query.setValue(QStringLiteral("DATES"), QStringLiteral("2026-12-10"));
                m_query.setValue(QStringLiteral("CID"), 1);
                m_query.setValue(QStringLiteral("DID"), 1);
                m_query.setValue(QStringLiteral("CTYPE"), QStringLiteral("材料费"));
                m_query.setValue(QStringLiteral("ALLMONEY"), amount.toDouble());
                m_query.setValue(QStringLiteral("ISALL"), 1);
                m_query.setValue(QStringLiteral("FMONEY"), 0.0);
                m_query.post();
                sum += amount;
                ++stored;
            } catch (const DbError& error) {
                answer(QStringLiteral("F 0 ") + error.message());
            }
        }
        answer(QStringLiteral("inserted %1 %2").arg(stored).arg(sum.exactText()));
    }

    void read(const QStringList& keys) {
        m_query.setSql(
            QStringLiteral("select * from 明细 where MID in (%1) order by MID").arg(keys.join(',')));
        m_query.open();
        m_rows.clear();
        for (int row = 0; row < m_query.rowCount(); ++row)
            m_rows.insert(m_query.valueAt(row, m_query.columnIndex(QStringLiteral("MID"))).toLongLong(), row);
        answer(QStringLiteral("read %1").arg(m_query.rowCount()));
    }

    void edit(const QString& name, double amount, const QStringList& keys) {
        int saved = 0, refused = 0;
        for (const QString& text : keys) {
            const qint64 key = text.toLongLong();
            try {
                m_query.setCurrentRow(m_rows.value(key, -1));
                m_query.edit();
                m_query.setValue(QStringLiteral("NAMES"), name);
                m_query.setValue(QStringLiteral("ALLMONEY"), amount);
                m_query.post();
                ++saved;
            } catch (const RowConflict& conflict) {
                m_query.cancel();
                answer(QStringLiteral("C %1 %2").arg(key).arg(conflict.details().author));
                ++refused;
            } catch (const DbError& error) {
                m_query.cancel();
                answer(QStringLiteral("F %1 %2").arg(key).arg(error.message()));
            }
        }
        answer(QStringLiteral("edited %1 %2").arg(saved).arg(refused));
    }

private:
    Query m_query;
    QHash<qint64, int> m_rows; // key -> row of the read
    int m_serial = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    const ServerAddress address = ServerAddress::parse(app.arguments().value(1), &error);
    if (!address.isValid()) {
        answer(QStringLiteral("F ") + error);
        return 2;
    }
    Database::instance().setServer(address);
    try {
        Database::instance().connection();
    } catch (const DbError& failure) {
        answer(QStringLiteral("F ") + failure.message());
        return 1;
    }
    answer(QStringLiteral("ready"));
    Member member;
    for (std::string line; std::getline(std::cin, line);) {
        QStringList words = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString command = words.value(0);
        if (command == QLatin1String("insert")) {
            member.insert(words.value(1).toInt());
        } else if (command == QLatin1String("read")) {
            member.read(words.mid(1));
        } else if (command == QLatin1String("edit") && words.size() >= 3) {
            member.edit(words[1], words[2].toDouble(), words.mid(3));
        } else if (command == QLatin1String("quit")) {
            break;
        } else {
            answer(QStringLiteral("F unknown command ") + command);
        }
    }
    return 0;
}
