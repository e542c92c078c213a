#include "annotate/ChineseConverter.h"

#include <opencc.h>

#include <QLibrary>
#include <QList>
#include <functional>

namespace annotate {

namespace {

// OpenCC is loaded the first time a text is converted, not when the program
// starts: most sessions never convert anything, and the library with its
// dictionary engine would cost every start-up its loading and its memory.
struct OpenCC {
    decltype(&opencc_open) open = nullptr;
    decltype(&opencc_close) close = nullptr;
    decltype(&opencc_convert_utf8) convert = nullptr;
    decltype(&opencc_convert_utf8_free) free = nullptr;
    decltype(&opencc_error) error = nullptr;
    QString failure; // why it could not be loaded
};

const OpenCC &openCC()
{
    static const OpenCC api = [] {
        OpenCC a;
        QLibrary lib(QStringLiteral("opencc"), QStringLiteral(QUILLORY_OPENCC_SOVERSION));
        if (!lib.load()) {
            a.failure = lib.errorString();
            return a;
        }
        a.open = reinterpret_cast<decltype(a.open)>(lib.resolve("opencc_open"));
        a.close = reinterpret_cast<decltype(a.close)>(lib.resolve("opencc_close"));
        a.convert = reinterpret_cast<decltype(a.convert)>(lib.resolve("opencc_convert_utf8"));
        a.free = reinterpret_cast<decltype(a.free)>(lib.resolve("opencc_convert_utf8_free"));
        a.error = reinterpret_cast<decltype(a.error)>(lib.resolve("opencc_error"));
        if (!a.open || !a.close || !a.convert || !a.free || !a.error) {
            a = OpenCC{};
            a.failure = lib.errorString();
        }
        return a;
    }();
    return api;
}

} // namespace

struct ChineseConverter::Handle {
    opencc_t oc = nullptr;
    ~Handle()
    {
        if (oc)
            openCC().close(oc);
    }
    QString convert(QStringView text) const
    {
        const QByteArray in = text.toUtf8();
        char *out = openCC().convert(oc, in.constData(), static_cast<size_t>(in.size()));
        if (!out)
            return {};
        QString result = QString::fromUtf8(out);
        openCC().free(out);
        return result;
    }
};

namespace {

// opencc_open reports a failure as (opencc_t)-1.
bool failed(opencc_t oc)
{
    return oc == nullptr || oc == reinterpret_cast<opencc_t>(-1);
}

// Characters of text that its conversion writes otherwise. The conversions
// used here keep one character for one; should one not, each character is
// compared as converted alone.
qsizetype changedCharacters(QStringView text, const QString &converted,
                            const std::function<QString(QStringView)> &convert)
{
    const QList<uint> a = text.toUcs4();
    const QList<uint> b = converted.toUcs4();
    qsizetype n = 0;
    if (a.size() == b.size()) {
        for (qsizetype i = 0; i < a.size(); ++i)
            n += a[i] != b[i];
        return n;
    }
    for (uint c : a) {
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        n += convert(one) != one;
    }
    return n;
}

} // namespace

ChineseConverter::ChineseConverter() = default;
ChineseConverter::~ChineseConverter() = default;

ChineseConverter &ChineseConverter::shared()
{
    static ChineseConverter converter;
    return converter;
}

ChineseConverter::Handle *ChineseConverter::open(std::unique_ptr<Handle> &slot, const char *config,
                                                 QString *error)
{
    if (slot)
        return slot.get();
    const OpenCC &api = openCC();
    if (!api.open) {
        if (error) {
            *error = QStringLiteral("無法載入 OpenCC 程式庫（%1），請安裝 libopencc%2 套件。")
                         .arg(api.failure, QStringLiteral(QUILLORY_OPENCC_SOVERSION));
        }
        return nullptr;
    }
    const opencc_t oc = api.open(config);
    if (failed(oc)) {
        if (error) {
            *error = QStringLiteral("無法開啟 OpenCC 的轉換表 %1（%2），請安裝 libopencc-data 套件。")
                         .arg(QString::fromLatin1(config), QString::fromUtf8(api.error()));
        }
        return nullptr;
    }
    slot = std::make_unique<Handle>();
    slot->oc = oc;
    return slot.get();
}

bool ChineseConverter::evidence(QStringView text, Evidence &out, QString *error)
{
    out = {};
    Handle *s2t = open(m_s2t, "s2t.json", error);
    Handle *t2s = s2t ? open(m_t2s, "t2s.json", error) : nullptr;
    if (!s2t || !t2s)
        return false;
    auto toTraditional = [s2t](QStringView t) { return s2t->convert(t); };
    auto toSimplified = [t2s](QStringView t) { return t2s->convert(t); };
    out.simplifiedOnly = changedCharacters(text, toTraditional(text), toTraditional);
    out.traditionalOnly = changedCharacters(text, toSimplified(text), toSimplified);
    return true;
}

bool ChineseConverter::looksSimplified(QStringView text, QString *error)
{
    Evidence e;
    if (!evidence(text, e, error))
        return false;
    return e.simplifiedOnly > e.traditionalOnly;
}

QString ChineseConverter::toTaiwanTraditional(QStringView text, QString *error)
{
    Handle *h = open(m_s2twp, "s2twp.json", error);
    if (!h)
        return {};
    QString result = h->convert(text);
    if (result.isNull())
        result = QStringLiteral("");
    return result;
}

} // namespace annotate
