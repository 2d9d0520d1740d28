#include "xlsxsheet.h"

#include "billerror.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <minizip/unzip.h>

namespace XlsxSheet {

namespace {

const QString damaged = QStringLiteral("这个Excel工作簿(.xlsx)已损坏或不完整，无法读出账单。");

class Archive {
public:
    explicit Archive(const QString& path) : m_zip(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Archive() {
        if (m_zip)
            unzClose(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    bool isOpen() const { return m_zip != nullptr; }

    bool hasEncryptedEntry() {
        for (int rc = unzGoToFirstFile(m_zip); rc == UNZ_OK; rc = unzGoToNextFile(m_zip)) {
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
                (info.flag & 1))
                return true;
        }
        return false;
    }

    // The entry's bytes; a null array when there is no such entry.
    QByteArray entry(const QString& name) {
        if (unzLocateFile(m_zip, name.toUtf8().constData(), 0) != UNZ_OK)
            return {};
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > 512u * 1024 * 1024 || unzOpenCurrentFile(m_zip) != UNZ_OK)
            throw BillError(damaged);
        QByteArray bytes;
        bytes.reserve(qsizetype(info.uncompressed_size));
        char buffer[65536];
        int got = 0;
        while ((got = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        const int closed = unzCloseCurrentFile(m_zip); // checks the CRC
        if (got < 0 || closed != UNZ_OK)
            throw BillError(damaged);
        return bytes;
    }

private:
    unzFile m_zip;
};

QStringList sharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    int phonetic = 0; // text of a phonetic guide (rPh) is no part of the string
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QLatin1String("si"))
                current.clear();
            else if (reader.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (reader.name() == QLatin1String("t") && !phonetic)
                current += reader.readElementText();
        } else if (reader.isEndElement()) {
            if (reader.name() == QLatin1String("si"))
                strings << current;
            else if (reader.name() == QLatin1String("rPh"))
                --phonetic;
        }
    }
    if (reader.hasError())
        throw BillError(damaged);
    return strings;
}

// "xl/worksheets/sheet1.xml": the first sheet of workbook.xml, through its relation.
QString firstSheetPath(Archive& archive) {
    QString relation;
    QXmlStreamReader workbook(archive.entry(QStringLiteral("xl/workbook.xml")));
    while (!workbook.atEnd() && relation.isEmpty()) {
        if (workbook.readNext() == QXmlStreamReader::StartElement && workbook.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute& attribute : workbook.attributes()) {
                if (attribute.name() == QLatin1String("id"))
                    relation = attribute.value().toString();
            }
        }
    }
    QXmlStreamReader relations(archive.entry(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!relations.atEnd() && !relation.isEmpty()) {
        if (relations.readNext() == QXmlStreamReader::StartElement &&
            relations.name() == QLatin1String("Relationship") &&
            relations.attributes().value(QLatin1String("Id")) == relation) {
            QString target = relations.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(QLatin1Char('/')))
                return target.mid(1);
            return QStringLiteral("xl/") + target;
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

// "BC12" → 54 (counting from 0); -1 when the reference has no letters.
int columnOf(QStringView reference) {
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        ++letters;
    }
    return letters ? column - 1 : -1;
}

QVector<QStringList> rowsOf(const QByteArray& xml, const QStringList& strings) {
    QVector<QStringList> rows;
    QXmlStreamReader reader(xml);
    QStringList row;
    QString type;
    int column = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto name = reader.name();
            if (name == QLatin1String("row")) {
                row.clear();
            } else if (name == QLatin1String("c")) {
                type = reader.attributes().value(QLatin1String("t")).toString();
                const int at = columnOf(reader.attributes().value(QLatin1String("r")));
                column = at >= 0 ? at : int(row.size());
                while (row.size() <= column)
                    row << QString();
            } else if (name == QLatin1String("v")) {
                const QString value = reader.readElementText();
                if (type == QLatin1String("s")) {
                    bool ok = false;
                    const int index = value.toInt(&ok);
                    if (!ok || index < 0 || index >= strings.size())
                        throw BillError(damaged);
                    row[column] = strings[index];
                } else {
                    row[column] = value;
                }
            } else if (name == QLatin1String("t") && type == QLatin1String("inlineStr")) {
                row[column] += reader.readElementText();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("row")) {
            bool any = false;
            for (const QString& cell : row)
                any = any || !cell.trimmed().isEmpty();
            if (any)
                rows << row;
        }
    }
    if (reader.hasError())
        throw BillError(damaged);
    return rows;
}

} // namespace

QVector<QStringList> firstSheet(const QString& path) {
    Archive archive(path);
    if (!archive.isOpen())
        throw BillError(QStringLiteral("这个文件不是Excel工作簿(.xlsx)，也不是完整的压缩包，无法读出账单。"));
    if (archive.hasEncryptedEntry())
        throw BillError(QStringLiteral(
            "这是一个加了密码的压缩包。请先用解压软件(输入账单邮件或微信里给出的解压密码)把它解开，"
            "再导入解出来的账单文件(.xlsx或.csv)。"));
    const QByteArray workbook = archive.entry(QStringLiteral("xl/workbook.xml"));
    if (workbook.isNull())
        throw BillError(QStringLiteral("这个压缩包里没有Excel工作簿，不是账单。"
                                       "如果账单在压缩包里，请先把它解压出来再导入。"));
    const QByteArray strings = archive.entry(QStringLiteral("xl/sharedStrings.xml"));
    const QByteArray sheet = archive.entry(firstSheetPath(archive));
    if (sheet.isNull())
        throw BillError(damaged);
    return rowsOf(sheet, strings.isNull() ? QStringList() : sharedStrings(strings));
}

} // namespace XlsxSheet
