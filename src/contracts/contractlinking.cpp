#include "contractlinking.h"

#include "dberror.h"
#include "messages.h"
#include "paymentpicker.h"
#include "query.h"
#include "sqlconnection.h"
#include "sqltexts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDate>

namespace ContractLinking {

namespace {

QString projectText(const QHash<qint64, QString>& names, qint64 key) {
    return key == 0 ? QStringLiteral("（无）") : names.value(key, QStringLiteral("（已删除的工程）"));
}

} // namespace

bool link(QWidget* parent, const QVector<StagePayment>& entries, const ContractRecord& contract,
          const StageRecord& stage, const QHash<qint64, QString>& projectNames) {
    QStringList otherProject, otherStage;
    for (const StagePayment& entry : entries) {
        if (contract.projectKey != 0 && entry.projectKey != contract.projectKey)
            otherProject << QStringLiteral("%1 %2（%3）")
                                .arg(entry.date, entry.name, projectText(projectNames, entry.projectKey));
        if (entry.stageKey != 0 && entry.stageKey != stage.key)
            otherStage << QStringLiteral("%1 %2").arg(entry.date, entry.name);
    }
    if (!otherProject.isEmpty() &&
        !Messages::ask(parent,
                       QStringLiteral("合同“%1”属于工程“%2”，这些账目属于别的工程：\n%3\n\n仍然关联吗?")
                           .arg(contract.name, projectText(projectNames, contract.projectKey),
                                otherProject.join(QLatin1Char('\n')))))
        return false;
    if (!otherStage.isEmpty() &&
        !Messages::ask(parent, QStringLiteral("这些账目已关联到别的付款阶段：\n%1\n\n改为关联到“%2”吗?")
                                   .arg(otherStage.join(QLatin1Char('\n')), stage.name)))
        return false;
    bool linked = false;
    try {
        const SqlConnection db = SqlConnection::program();
        for (const StagePayment& entry : entries) {
            ContractStore::link(db, entry.entryKey, stage.key);
            linked = true;
        }
    } catch (const DbError& failure) {
        Messages::error(parent, QStringLiteral("关联失败：%1").arg(failure.message()));
    }
    if (linked)
        Q_EMIT ContractNotices::instance().linksChanged();
    return linked;
}

QHash<qint64, QString> projectNames() {
    QHash<qint64, QString> names;
    Query query;
    query.setSql(SqlTexts::projects());
    query.open();
    const int key = query.columnIndex(QStringLiteral("MID")),
              name = query.columnIndex(QStringLiteral("NAMES"));
    for (int row = 0; row < query.rowCount(); ++row)
        names.insert(query.valueAt(row, key).toLongLong(), query.valueAt(row, name).toString().trimmed());
    return names;
}

QAction* forLedgerList(QAbstractItemView* view, std::function<qint64()> entryKey) {
    auto* action = new QAction(QStringLiteral("关联到合同阶段…"), view);
    action->setObjectName(QStringLiteral("LinkToStage"));
    QObject::connect(action, &QAction::triggered, view, [view, entryKey = std::move(entryKey)] {
        const qint64 key = entryKey();
        if (key <= 0)
            return;
        try {
            const SqlConnection db = SqlConnection::program();
            const std::optional<StagePayment> entry = ContractStore::payment(db, key);
            if (!entry)
                return;
            const QVector<ContractFigures> contracts = ContractFigures::compute(db, QDate::currentDate());
            const bool anyStage = std::any_of(contracts.begin(), contracts.end(),
                                              [](const ContractFigures& c) { return !c.stages.isEmpty(); });
            if (!anyStage) {
                Messages::information(view, QStringLiteral("还没有付款阶段。请先在“账目统计 → 合同与付款”里"
                                                           "新增合同并添加付款阶段。"));
                return;
            }
            StageChooser chooser(contracts, QStringLiteral("%1 %2").arg(entry->date, entry->name),
                                 entry->stageKey, view);
            if (chooser.exec() != QDialog::Accepted || chooser.chosenStage() == 0 ||
                chooser.chosenStage() == entry->stageKey)
                return;
            for (const ContractFigures& contract : contracts)
                for (const StageFigures& stage : contract.stages)
                    if (stage.record.key == chooser.chosenStage())
                        link(view, {*entry}, contract.record, stage.record, projectNames());
        } catch (const DbError& failure) {
            Messages::error(view, QStringLiteral("关联失败：%1").arg(failure.message()));
        }
    });
    return action;
}

} // namespace ContractLinking

ContractNotices& ContractNotices::instance() {
    static ContractNotices notices;
    return notices;
}
