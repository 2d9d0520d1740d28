#pragma once

#include <QString>
#include <optional>

// The rules the ledger editor applies to what the user typed, apart from the
// window: the checks before a save, the computed total and the number boxes' key
// filters.
namespace LedgerEntryRules {

// What the editor's fields hold when 保存账目 is pressed.
struct Fields {
    QString name;
    bool projectChosen = false;
    bool modeChosen = false;
    QString totalText;
    bool depositOnly = false;
    QString depositText;
    bool categoryChosen = false;
    QString priceText;
    QString quantityText;
    bool anyLocation = false;
};

// The message of the first check that fails, in the fixed order of the checks;
// empty when every check passes.
QString firstFailedCheck(const Fields& fields);

// 计算: the total of unit price × quantity in general format. Gives the message to
// show when a box is empty, or no result (and no message) when a box holds no number.
struct Computed {
    std::optional<QString> total;
    QString message;
};
Computed computeTotal(const QString& priceText, const QString& quantityText);

// The key filter of the number boxes: whether a typed character reaches the box.
// Signed boxes (unit price, total) take a "-" at the start; unsigned boxes
// (quantity, deposit) never do. The rules look at the box's whole text.
bool acceptsCharacter(QChar typed, const QString& boxText, int caret, bool signedNumber);

} // namespace LedgerEntryRules
