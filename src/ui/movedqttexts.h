#pragma once

#include <QTranslator>

// Qt 6 asks for the file type names of its file dialog (文件夹, 驱动器, "%1 文件" …)
// under the context QAbstractFileIconProvider, while Qt's translation files still
// keep them under QFileDialog. This translator answers the new context from the old.
class MovedQtTexts : public QTranslator {
    Q_OBJECT
public:
    MovedQtTexts(const QTranslator* qtTranslation, QObject* parent);

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }

private:
    const QTranslator* m_qtTranslation;
};
