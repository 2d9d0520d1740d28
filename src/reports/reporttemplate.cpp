#include "reporttemplate.h"

#include "reporterror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using namespace ReportLayout;

// The templates compiled into this library; called before reading one, so that the
// linker keeps them and Qt knows them.
static void registerTemplates() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(reports);
        return true;
    }();
    Q_UNUSED(registered)
}

namespace {

constexpr double UnitsPerMillimetre = 96.0 / 25.4;

struct PaperName {
    const char* name;
    QPageSize::PageSizeId id;
};
constexpr PaperName PaperNames[] = {
    {"A3", QPageSize::A3}, {"A4", QPageSize::A4},         {"A5", QPageSize::A5},
    {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal},
};

constexpr const char* KindNames[] = {"reportTitle", "pageHeader", "masterData", "masterFooter", "pageFooter"};

// Reads one JSON object strictly: every key must be known, so that a misspelt
// property is an error instead of a silent default.
class Reader {
public:
    Reader(const QJsonObject& object, QString path) : m_object(object), m_path(std::move(path)) {}

    [[noreturn]] void fail(const QString& what) const {
        throw ReportError(QStringLiteral("报表模板有误（%1）：%2").arg(m_path, what));
    }

    void allowOnly(std::initializer_list<const char*> keys) const {
        QSet<QString> known;
        for (const char* key : keys)
            known.insert(QString::fromLatin1(key));
        for (auto it = m_object.begin(); it != m_object.end(); ++it)
            if (!known.contains(it.key()))
                fail(QStringLiteral("未知的属性“%1”").arg(it.key()));
    }

    bool has(const char* key) const { return m_object.contains(QLatin1String(key)); }
    QJsonValue value(const char* key) const { return m_object.value(QLatin1String(key)); }

    QString text(const char* key, const QString& fallback) const {
        if (!has(key))
            return fallback;
        if (!value(key).isString())
            fail(QStringLiteral("“%1”应为文字").arg(QLatin1String(key)));
        return value(key).toString();
    }
    QString requiredText(const char* key) const {
        if (!has(key))
            fail(QStringLiteral("缺少“%1”").arg(QLatin1String(key)));
        return text(key, {});
    }
    double number(const char* key, double fallback, double min, double max) const {
        if (!has(key))
            return fallback;
        if (!value(key).isDouble())
            fail(QStringLiteral("“%1”应为数字").arg(QLatin1String(key)));
        const double n = value(key).toDouble();
        if (!(n >= min && n <= max))
            fail(QStringLiteral("“%1”超出范围 %2 至 %3").arg(QLatin1String(key)).arg(min).arg(max));
        return n;
    }
    bool flag(const char* key, bool fallback) const {
        if (!has(key))
            return fallback;
        if (!value(key).isBool())
            fail(QStringLiteral("“%1”应为 true 或 false").arg(QLatin1String(key)));
        return value(key).toBool();
    }
    QList<double> numbers(const char* key, int count, double min, double max) const {
        const QJsonArray array = value(key).toArray();
        if (!value(key).isArray() || array.size() != count)
            fail(QStringLiteral("“%1”应为 %2 个数字").arg(QLatin1String(key)).arg(count));
        QList<double> result;
        for (const QJsonValue& v : array) {
            if (!v.isDouble() || !(v.toDouble() >= min && v.toDouble() <= max))
                fail(QStringLiteral("“%1”中有超出范围的值").arg(QLatin1String(key)));
            result.append(v.toDouble());
        }
        return result;
    }
    template <class Enum, size_t N>
    Enum choice(const char* key, Enum fallback, const char* const (&names)[N]) const {
        if (!has(key))
            return fallback;
        const QString chosen = text(key, {});
        for (size_t i = 0; i < N; ++i)
            if (chosen == QLatin1String(names[i]))
                return Enum(i);
        fail(QStringLiteral("“%1”的值“%2”不可用").arg(QLatin1String(key), chosen));
    }
    QJsonObject object(const char* key) const { return value(key).toObject(); }
    const QString& path() const { return m_path; }

private:
    QJsonObject m_object;
    QString m_path;
};

constexpr const char* HAlignNames[] = {"left", "right", "centre"};
constexpr const char* VAlignNames[] = {"top", "middle"};
constexpr const char* OrientationNames[] = {"portrait", "landscape"};

// The style keys shared by a text object and the template's defaults; what the
// JSON leaves out keeps the value the object has already.
void readStyle(const Reader& in, TextObject& object) {
    object.fontName = in.text("font", object.fontName);
    object.fontSize = in.number("size", object.fontSize, 1, 500);
    object.bold = in.flag("bold", object.bold);
    object.hAlign = in.choice("align", object.hAlign, HAlignNames);
    object.vAlign = in.choice("valign", object.vAlign, VAlignNames);
    object.frame = in.flag("frame", object.frame);
    object.wordWrap = in.flag("wordWrap", object.wordWrap);
}

TextObject readObject(const Reader& in, const TextObject& defaults, double bandHeight) {
    in.allowOnly({"name", "rect", "text", "font", "size", "bold", "align", "valign", "frame", "wordWrap"});
    TextObject object = defaults;
    object.name = in.text("name", {});
    if (!in.has("rect"))
        in.fail(QStringLiteral("缺少“rect”"));
    const QList<double> r = in.numbers("rect", 4, 0, 10000);
    object.rect = QRectF(r[0], r[1], r[2], r[3]);
    if (object.rect.bottom() > bandHeight)
        in.fail(QStringLiteral("文字框超出了带区的高度"));
    object.text = in.text("text", {});
    readStyle(in, object);
    return object;
}

TextObject readDefaults(const Reader& in) {
    in.allowOnly({"font", "size", "bold", "align", "valign", "frame", "wordWrap"});
    TextObject defaults;
    readStyle(in, defaults);
    return defaults;
}

PageSetup readPage(const Reader& in) {
    in.allowOnly({"size", "orientation", "margins"});
    PageSetup page;
    const QString size = in.text("size", QStringLiteral("A4"));
    bool known = false;
    for (const PaperName& paper : PaperNames)
        if (size == QLatin1String(paper.name)) {
            page.size = paper.id;
            known = true;
        }
    if (!known)
        in.fail(QStringLiteral("未知的纸张“%1”").arg(size));
    page.orientation = in.choice("orientation", QPageLayout::Portrait, OrientationNames);
    if (in.has("margins")) {
        const QList<double> m = in.numbers("margins", 4, 0, 100);
        page.margins = QMarginsF(m[0], m[1], m[2], m[3]);
    }
    return page;
}

} // namespace

namespace ReportLayout {

QString kindName(BandKind kind) {
    return QString::fromLatin1(KindNames[int(kind)]);
}

QSizeF PageSetup::paperSize() const {
    QSizeF mm = QPageSize(size).size(QPageSize::Millimeter);
    if (orientation == QPageLayout::Landscape)
        mm.transpose();
    return mm * UnitsPerMillimetre;
}

QPageLayout PageSetup::pageLayout() const {
    return QPageLayout(QPageSize(size), orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace ReportLayout

ReportTemplate ReportTemplate::fromJson(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull() || !document.isObject())
        throw ReportError(QStringLiteral("报表模板不是有效的 JSON：%1").arg(parseError.errorString()));

    const Reader in(document.object(), QStringLiteral("模板"));
    in.allowOnly({"name", "page", "defaults", "bands"});
    ReportTemplate result;
    result.name = in.requiredText("name");
    result.page = readPage(Reader(in.object("page"), QStringLiteral("page")));
    const TextObject defaults = readDefaults(Reader(in.object("defaults"), QStringLiteral("defaults")));

    const QJsonArray bands = in.value("bands").toArray();
    if (!in.value("bands").isArray())
        in.fail(QStringLiteral("缺少“bands”"));
    QSet<int> kinds;
    for (qsizetype b = 0; b < bands.size(); ++b) {
        const Reader bandIn(bands[b].toObject(), QStringLiteral("bands[%1]").arg(b));
        bandIn.allowOnly({"name", "kind", "height", "objects"});
        Band band;
        band.name = bandIn.requiredText("name");
        if (!bandIn.has("kind"))
            bandIn.fail(QStringLiteral("缺少“kind”"));
        band.kind = bandIn.choice("kind", BandKind::MasterData, KindNames);
        if (kinds.contains(int(band.kind)))
            bandIn.fail(QStringLiteral("同一种带区只能有一个"));
        kinds.insert(int(band.kind));
        band.height = bandIn.number("height", 0, 1, 10000);
        if (band.height <= 0)
            bandIn.fail(QStringLiteral("缺少“height”"));
        const QJsonArray objects = bandIn.value("objects").toArray();
        for (qsizetype o = 0; o < objects.size(); ++o)
            band.objects.append(readObject(
                Reader(objects[o].toObject(), bandIn.path() + QStringLiteral(".objects[%1]").arg(o)),
                defaults, band.height));
        result.bands.append(band);
    }
    return result;
}

ReportTemplate ReportTemplate::load(const QString& fileName) {
    registerTemplates();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("无法读取报表模板“%1”：%2").arg(fileName, file.errorString()));
    return fromJson(file.readAll());
}

const Band* ReportTemplate::band(BandKind kind) const {
    for (const Band& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

TextObject* ReportTemplate::object(const QString& objectName) {
    for (Band& b : bands)
        for (TextObject& o : b.objects)
            if (!objectName.isEmpty() && o.name == objectName)
                return &o;
    return nullptr;
}
