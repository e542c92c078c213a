#include "practice/PracticeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "practice/Big5.h"

namespace {

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = dec.decode(bytes);
    Q_UNUSED(decoded);
    return !dec.hasError();
}

} // namespace

QString DecodePracticeText(const QByteArray &bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return Big5::decode(bytes);
}

bool TokensFromLines(QStringView text, TokenTable &table)
{
    table = TokenTable{};
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype end = i;
        while (end < n && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView line = text.mid(i, end - i);
        // CR LF, LF and a lone CR all end a line.
        i = end;
        if (i < n)
            i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        if (line.isEmpty())
            continue;
        if (table.size() >= kMaxPracticeTokens)
            return false;
        // The first character keeps a surrogate pair whole.
        const qsizetype first = (line.size() > 1 && line[0].isHighSurrogate()
                                 && line[1].isLowSurrogate()) ? 2 : 1;
        table.append(line.left(first).toString(), line.mid(first).toString());
    }
    return true;
}

PracticeFileResult ReadPracticeFile(const QString &path)
{
    using Status = PracticeFileResult::Status;
    PracticeFileResult r;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        r.status = Status::NotFound;
        return r;
    }
    if (!info.isFile()) {
        r.status = Status::NotAFile;
        return r;
    }
    if (info.size() > kMaxPracticeFileBytes) {
        r.status = Status::TooLarge;
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.status = Status::Unreadable;
        r.error = f.errorString();
        return r;
    }
    // Read at most one byte more than allowed, in case the file grew.
    const QByteArray bytes = f.read(kMaxPracticeFileBytes + 1);
    if (f.error() != QFileDevice::NoError) {
        r.status = Status::Unreadable;
        r.error = f.errorString();
        return r;
    }
    f.close();
    if (bytes.size() > kMaxPracticeFileBytes) {
        r.status = Status::TooLarge;
        return r;
    }
    if (!TokensFromLines(DecodePracticeText(bytes), r.table)) {
        r.status = Status::TooManyLines;
        r.table = TokenTable{};
    }
    return r;
}

QString FileNameOf(const QString &path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#if defined(Q_OS_WIN)
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}
