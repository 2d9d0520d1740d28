#include "importrules.h"

#include <QSettings>

namespace ImportRules {

QVector<ImportRule> load() {
    QSettings settings;
    QVector<ImportRule> rules;
    const int count = settings.beginReadArray(QStringLiteral("import/rules"));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        rules << ImportRule{settings.value(QStringLiteral("contains")).toString(),
                            settings.value(QStringLiteral("mode")).toString(),
                            settings.value(QStringLiteral("project")).toString(),
                            settings.value(QStringLiteral("category")).toString(),
                            settings.value(QStringLiteral("rooms")).toString()};
    }
    settings.endArray();
    return rules;
}

void save(const QVector<ImportRule>& rules) {
    QSettings settings;
    settings.remove(QStringLiteral("import/rules"));
    settings.beginWriteArray(QStringLiteral("import/rules"), int(rules.size()));
    for (int i = 0; i < rules.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("contains"), rules[i].contains);
        settings.setValue(QStringLiteral("mode"), rules[i].mode);
        settings.setValue(QStringLiteral("project"), rules[i].project);
        settings.setValue(QStringLiteral("category"), rules[i].category);
        settings.setValue(QStringLiteral("rooms"), rules[i].rooms);
    }
    settings.endArray();
}

const ImportRule* matching(const QVector<ImportRule>& rules, const QString& counterparty) {
    for (const ImportRule& rule : rules) {
        if (!rule.contains.trimmed().isEmpty() && counterparty.contains(rule.contains.trimmed(), Qt::CaseInsensitive))
            return &rule;
    }
    return nullptr;
}

} // namespace ImportRules
