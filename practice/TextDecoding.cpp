#include "practice/TextDecoding.h"

#include "practice/Big5.h"

namespace {

struct Scan {
    qsizetype errors = 0;
    qsizetype firstError = -1; // offset of the first undecodable byte
};

void noteError(Scan &s, qsizetype at)
{
    if (s.errors++ == 0)
        s.firstError = at;
}

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms,
// no encoded surrogates, nothing beyond U+10FFFF. Each maximal ill-formed
// part counts as one error.
Scan scanUtf8(QByteArrayView bytes)
{
    Scan s;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        uchar lo = 0x80, hi = 0xBF; // range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0)
                lo = 0xA0;
            else if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0)
                lo = 0x90;
            else if (b == 0xF4)
                hi = 0x8F;
        }
        qsizetype k = 1;
        while (k < len && i + k < n) {
            const uchar c = p[i + k];
            if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF))
                break;
            ++k;
        }
        if (len == 0 || k < len)
            noteError(s, i);
        i += k;
    }
    return s;
}

// Big5 as written by a Traditional Chinese editor: ASCII, or a lead byte and
// a trail byte. Lead bytes of the user-defined areas count as errors too:
// they are what another encoding's bytes look like, not text.
Scan scanBig5(QByteArrayView bytes)
{
    Scan s;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        const uchar t = i + 1 < n ? p[i + 1] : 0;
        const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0xA1 && t <= 0xFE);
        if (b >= 0xA1 && b <= 0xF9 && trail) {
            i += 2;
            continue;
        }
        noteError(s, i);
        i += (b >= 0x81 && b <= 0xFE && trail) ? 2 : 1;
    }
    return s;
}

// The line (from 1) that holds element `at`: CR LF, LF and CR end a line.
template <typename Char>
qsizetype lineAt(const Char *p, qsizetype at)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < at; ++i) {
        if (p[i] == Char('\n') || (p[i] == Char('\r') && !(i + 1 < at && p[i + 1] == Char('\n'))))
            ++line;
    }
    return line;
}

DecodedText decodeUtf16(QByteArrayView bytes, TextEncoding encoding)
{
    DecodedText d;
    d.encoding = encoding;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    const bool le = encoding == TextEncoding::Utf16LE;
    QString &out = d.text;
    out.resize(units + bytes.size() % 2);
    qsizetype firstBad = -1;
    auto unitAt = [&](qsizetype i) -> char16_t {
        return le ? char16_t(p[2 * i] | p[2 * i + 1] << 8) : char16_t(p[2 * i] << 8 | p[2 * i + 1]);
    };
    for (qsizetype i = 0; i < units; ++i) {
        char16_t u = unitAt(i);
        if (QChar::isHighSurrogate(u) && i + 1 < units && QChar::isLowSurrogate(unitAt(i + 1))) {
            out[i] = QChar(u);
            out[i + 1] = QChar(unitAt(i + 1));
            ++i;
            continue;
        }
        if (QChar::isSurrogate(u)) {
            u = QChar::ReplacementCharacter;
            if (firstBad < 0)
                firstBad = i;
        }
        out[i] = QChar(u);
    }
    if (bytes.size() % 2) { // half a character at the end
        out[units] = QChar::ReplacementCharacter;
        if (firstBad < 0)
            firstBad = units;
    }
    if (firstBad >= 0)
        d.firstBadLine = lineAt(out.constData(), firstBad);
    return d;
}

} // namespace

DecodedText DecodeTextFile(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return decodeUtf16(bytes.sliced(2), TextEncoding::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return decodeUtf16(bytes.sliced(2), TextEncoding::Utf16BE);

    DecodedText d;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = bom ? bytes.sliced(3) : bytes;
    const Scan utf8 = scanUtf8(body);
    if (bom || utf8.errors == 0 || utf8.errors < scanBig5(body).errors) {
        d.encoding = TextEncoding::Utf8;
        d.text = QString::fromUtf8(body);
        if (utf8.errors > 0)
            d.firstBadLine = lineAt(body.data(), utf8.firstError);
        return d;
    }
    d.encoding = TextEncoding::Big5;
    d.text = Big5::decode(body);
    // Code page 950 has no character of its own that decodes to U+FFFD.
    const qsizetype bad = d.text.indexOf(QChar::ReplacementCharacter);
    if (bad >= 0)
        d.firstBadLine = lineAt(d.text.constData(), bad);
    return d;
}
