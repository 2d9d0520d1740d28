#include "contractforms.h"

#include "formvalues.h"
#include "numbertext.h"

namespace ContractForms {

namespace {

using FormValues::Sign;

QString shown(double value) {
    return NumberText::format(value);
}

QString shown(const std::optional<double>& value) {
    return value ? NumberText::format(*value) : QString();
}

const QString dateHint = QStringLiteral("如 2026-03-01");

// The first refusal of a list of checks, or empty.
QString firstOf(std::initializer_list<QString> refusals) {
    for (const QString& refusal : refusals)
        if (!refusal.isEmpty())
            return refusal;
    return {};
}

} // namespace

bool editContract(QWidget* parent, ContractRecord& record, const QVector<RecordForm::Choice>& projects) {
    RecordForm form(record.key ? QStringLiteral("修改合同") : QStringLiteral("新增合同"), parent);
    form.addText(QStringLiteral("Name"), QStringLiteral("合同名称"), record.name);
    form.addText(QStringLiteral("Party"), QStringLiteral("乙方"), record.party,
                 QStringLiteral("装修公司或工长"));
    form.addText(QStringLiteral("Phone"), QStringLiteral("电话"), record.phone);
    QVector<RecordForm::Choice> choices{{0, QStringLiteral(" ")}};
    choices += projects;
    form.addChoice(QStringLiteral("Project"), QStringLiteral("对应工程"), choices, record.projectKey);
    form.addText(QStringLiteral("Signed"), QStringLiteral("签订日期"), record.signedDate, dateHint);
    form.addText(QStringLiteral("Price"), QStringLiteral("合同价(元)"),
                 record.key ? shown(record.price) : QString());
    form.addText(QStringLiteral("Retention"), QStringLiteral("质保金比例(%)"),
                 shown(record.retentionPercent));
    form.addText(QStringLiteral("Release"), QStringLiteral("质保金到期日"), record.releaseDate, dateHint);
    form.addText(QStringLiteral("Note"), QStringLiteral("备注"), record.note);
    ContractRecord typed = record;
    form.setCheck([&] {
        typed.name = form.text(QStringLiteral("Name"));
        typed.party = form.text(QStringLiteral("Party"));
        typed.phone = form.text(QStringLiteral("Phone"));
        typed.projectKey = form.choice(QStringLiteral("Project"));
        typed.note = form.text(QStringLiteral("Note"));
        std::optional<double> price, retention;
        const QString refusal =
            firstOf({typed.name.isEmpty() ? QStringLiteral("请填写“合同名称”。") : QString(),
                     FormValues::date(form.text(QStringLiteral("Signed")), QStringLiteral("签订日期"),
                                      &typed.signedDate),
                     FormValues::number(form.text(QStringLiteral("Price")), QStringLiteral("合同价(元)"),
                                        Sign::NotNegative, &price),
                     FormValues::number(form.text(QStringLiteral("Retention")),
                                        QStringLiteral("质保金比例(%)"), Sign::NotNegative, &retention),
                     FormValues::date(form.text(QStringLiteral("Release")), QStringLiteral("质保金到期日"),
                                      &typed.releaseDate)});
        if (!refusal.isEmpty())
            return refusal;
        if (!price)
            return QStringLiteral("请填写“合同价(元)”。");
        if (retention.value_or(0) > 100)
            return QStringLiteral("“质保金比例(%)”应在 0 到 100 之间。");
        typed.price = *price;
        typed.retentionPercent = retention.value_or(0);
        return QString();
    });
    if (form.exec() != QDialog::Accepted)
        return false;
    record = typed;
    return true;
}

bool editStage(QWidget* parent, StageRecord& record) {
    RecordForm form(record.key ? QStringLiteral("修改付款阶段") : QStringLiteral("添加付款阶段"), parent);
    form.addText(QStringLiteral("Name"), QStringLiteral("阶段名称"), record.name,
                 QStringLiteral("如 开工、水电验收、竣工"));
    form.addText(QStringLiteral("Amount"), QStringLiteral("金额(元)"), shown(record.amount),
                 QStringLiteral("或者填比例"));
    form.addText(QStringLiteral("Percent"), QStringLiteral("占合同价比例(%)"),
                 record.amount || record.percent == 0 ? QString() : shown(record.percent));
    form.addText(QStringLiteral("Condition"), QStringLiteral("付款条件"), record.condition,
                 QStringLiteral("如 水电验收合格后"));
    form.addText(QStringLiteral("Due"), QStringLiteral("应付日期"), record.dueDate, dateHint);
    form.addText(QStringLiteral("Accepted"), QStringLiteral("验收日期"), record.acceptedDate,
                 QStringLiteral("未验收时不填"));
    StageRecord typed = record;
    form.setCheck([&] {
        typed.name = form.text(QStringLiteral("Name"));
        typed.condition = form.text(QStringLiteral("Condition"));
        std::optional<double> amount, percent;
        const QString refusal = firstOf(
            {typed.name.isEmpty() ? QStringLiteral("请填写“阶段名称”。") : QString(),
             FormValues::number(form.text(QStringLiteral("Amount")), QStringLiteral("金额(元)"),
                                Sign::NotNegative, &amount),
             FormValues::number(form.text(QStringLiteral("Percent")), QStringLiteral("占合同价比例(%)"),
                                Sign::NotNegative, &percent),
             FormValues::date(form.text(QStringLiteral("Due")), QStringLiteral("应付日期"), &typed.dueDate),
             FormValues::date(form.text(QStringLiteral("Accepted")), QStringLiteral("验收日期"),
                              &typed.acceptedDate)});
        if (!refusal.isEmpty())
            return refusal;
        if (amount.has_value() == percent.has_value())
            return QStringLiteral("“金额(元)”和“占合同价比例(%)”请填写其中一项。");
        if (percent.value_or(0) > 100)
            return QStringLiteral("“占合同价比例(%)”应在 0 到 100 之间。");
        typed.amount = amount;
        typed.percent = percent.value_or(0);
        return QString();
    });
    if (form.exec() != QDialog::Accepted)
        return false;
    record = typed;
    return true;
}

bool editChangeOrder(QWidget* parent, ChangeOrderRecord& record) {
    RecordForm form(record.key ? QStringLiteral("修改增减项") : QStringLiteral("添加增减项"), parent);
    form.addText(QStringLiteral("Date"), QStringLiteral("日期"), record.date, dateHint);
    form.addText(QStringLiteral("Amount"), QStringLiteral("增减金额(元)"),
                 record.key ? shown(record.amount) : QString(), QStringLiteral("减项填负数"));
    form.addText(QStringLiteral("Reason"), QStringLiteral("原因"), record.reason);
    ChangeOrderRecord typed = record;
    form.setCheck([&] {
        typed.reason = form.text(QStringLiteral("Reason"));
        std::optional<double> amount;
        const QString refusal =
            firstOf({FormValues::date(form.text(QStringLiteral("Date")), QStringLiteral("日期"), &typed.date),
                     FormValues::number(form.text(QStringLiteral("Amount")), QStringLiteral("增减金额(元)"),
                                        Sign::Any, &amount)});
        if (!refusal.isEmpty())
            return refusal;
        if (!amount || *amount == 0)
            return QStringLiteral("请填写“增减金额(元)”：增项为正数，减项为负数。");
        if (typed.reason.isEmpty())
            return QStringLiteral("请填写“原因”。");
        typed.amount = *amount;
        return QString();
    });
    if (form.exec() != QDialog::Accepted)
        return false;
    record = typed;
    return true;
}

bool editWarranty(QWidget* parent, WarrantyRecord& record) {
    RecordForm form(record.key ? QStringLiteral("修改保修") : QStringLiteral("添加保修"), parent);
    form.addText(QStringLiteral("What"), QStringLiteral("保修内容"), record.what,
                 QStringLiteral("如 卫生间防水、热水器"));
    form.addText(QStringLiteral("Start"), QStringLiteral("开始日期"), record.startDate, dateHint);
    form.addText(QStringLiteral("End"), QStringLiteral("截止日期"), record.endDate, dateHint);
    WarrantyRecord typed = record;
    form.setCheck([&] {
        typed.what = form.text(QStringLiteral("What"));
        const QString refusal = firstOf(
            {typed.what.isEmpty() ? QStringLiteral("请填写“保修内容”。") : QString(),
             FormValues::date(form.text(QStringLiteral("Start")), QStringLiteral("开始日期"),
                              &typed.startDate),
             FormValues::date(form.text(QStringLiteral("End")), QStringLiteral("截止日期"), &typed.endDate)});
        if (!refusal.isEmpty())
            return refusal;
        if (typed.endDate.isEmpty())
            return QStringLiteral("请填写“截止日期”。");
        if (!typed.startDate.isEmpty() && typed.endDate < typed.startDate)
            return QStringLiteral("“截止日期”早于“开始日期”。");
        return QString();
    });
    if (form.exec() != QDialog::Accepted)
        return false;
    record = typed;
    return true;
}

} // namespace ContractForms
