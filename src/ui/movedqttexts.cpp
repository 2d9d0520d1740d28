#include "movedqttexts.h"

MovedQtTexts::MovedQtTexts(const QTranslator* qtTranslation, QObject* parent)
    : QTranslator(parent), m_qtTranslation(qtTranslation) {}

QString MovedQtTexts::translate(const char* context, const char* sourceText, const char* disambiguation,
                                int n) const {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
        return {};
    return m_qtTranslation->translate("QFileDialog", sourceText, disambiguation, n);
}
