#include "ledgerentryrules.h"

#include "numbertext.h"

namespace LedgerEntryRules {

QString firstFailedCheck(const Fields& f) {
    if (trimmedText(f.name).isEmpty())
        return QStringLiteral("[名    称]没有填写!");
    if (!f.projectChosen)
        return QStringLiteral("[对应工程]没有填写!");
    if (!f.modeChosen)
        return QStringLiteral("[费用方式]没有填写!");
    if (f.totalText.isEmpty())
        return QStringLiteral("[产品价格合计]没有填写!");
    if (f.depositOnly && f.depositText.isEmpty())
        return QStringLiteral("[订金金额]没有填写!");
    if (!f.categoryChosen)
        return QStringLiteral("[类    型]没有填写!");
    if (f.priceText.isEmpty())
        return QStringLiteral("[产品单价]没有填写!");
    if (f.quantityText.isEmpty())
        return QStringLiteral("[产品数量]没有填写!");
    if (!f.anyLocation)
        return QStringLiteral("请至少选择一个[所用位置]!");
    return {};
}

Computed computeTotal(const QString& priceText, const QString& quantityText) {
    if (priceText.isEmpty())
        return {std::nullopt, QStringLiteral("[产品单价]没有填写!")};
    if (quantityText.isEmpty())
        return {std::nullopt, QStringLiteral("[产品数量]没有填写!")};
    const std::optional<double> price = NumberText::parse(priceText);
    const std::optional<double> quantity = NumberText::parse(quantityText);
    if (!price || !quantity)
        return {};
    return {NumberText::format(*price * *quantity), {}};
}

bool acceptsCharacter(QChar typed, const QString& boxText, int caret, bool signedNumber) {
    if (typed == QLatin1Char('\b'))
        return true;
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'))
        return true;
    if (typed == QLatin1Char('.'))
        return !boxText.contains(QLatin1Char('.'));
    if (typed == QLatin1Char('-') && signedNumber)
        return !boxText.contains(QLatin1Char('-')) && caret == 0;
    return false;
}

} // namespace LedgerEntryRules
