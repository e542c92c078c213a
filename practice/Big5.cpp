#include "practice/Big5.h"

#include <unicode/ucnv.h>

#include <memory>
#include <mutex>

namespace {

struct ConverterCloser {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// "windows-950" is Microsoft's table; "cp950" would give IBM's.
ConverterPtr openConverter()
{
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr conv(ucnv_open("windows-950", &err));
    if (U_FAILURE(err))
        return nullptr;
    ucnv_setSubstChars(conv.get(), "?", 1, &err);
    // Best-fit mappings as the platform's own conversion does (é -> e).
    ucnv_setFallback(conv.get(), true);
    return conv;
}

// One converter per thread: a UConverter keeps state and is not thread-safe.
UConverter *converter()
{
    thread_local ConverterPtr conv = openConverter();
    return conv.get();
}

} // namespace

qint32 LenMbcs(const QString &text)
{
    const qsizetype n = text.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i)
        ascii = units[i] < 0x80;
    if (ascii)
        return static_cast<qint32>(n);

    UConverter *conv = converter();
    if (!conv)
        return static_cast<qint32>(n);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t len = ucnv_fromUChars(conv, nullptr, 0, reinterpret_cast<const UChar *>(units),
                                        static_cast<int32_t>(n), &err);
    if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err))
        return static_cast<qint32>(n);
    return len;
}

namespace Big5 {

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    UConverter *conv = converter();
    if (!conv)
        return QString::fromLatin1(bytes);
    QString out;
    // Every byte yields at most one UTF-16 unit (a two-byte sequence yields one).
    out.resize(bytes.size());
    UErrorCode err = U_ZERO_ERROR;
    const int32_t len = ucnv_toUChars(conv, reinterpret_cast<UChar *>(out.data()),
                                      static_cast<int32_t>(out.size()), bytes.data(),
                                      static_cast<int32_t>(bytes.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        return QString::fromLatin1(bytes);
    out.truncate(len);
    return out;
}

QByteArray encode(const QString &text)
{
    UConverter *conv = converter();
    if (!conv || text.isEmpty())
        return text.toLatin1();
    QByteArray out;
    out.resize(text.size() * 2 + 1);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t len = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                        reinterpret_cast<const UChar *>(text.utf16()),
                                        static_cast<int32_t>(text.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        return {};
    out.truncate(len);
    return out;
}

} // namespace Big5
