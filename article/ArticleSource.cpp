#include "article/ArticleSource.h"

#include <QFile>
#include <QFileInfo>

#include "practice/PracticeFile.h"
#include "practice/TextDecoding.h"

ArticleSource ArticleFromText(QString text)
{
    ArticleSource r;
    int line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++line;
        // U+FFFD and U+001A stand for bytes the decoder could not read.
        if (c == QChar::ReplacementCharacter || c == u'\x1A' || c == QChar::Null) {
            r.status = ArticleSource::Status::Undecodable;
            r.badLine = line;
            return r;
        }
    }
    r.text = std::move(text);
    return r;
}

ArticleSource ReadArticleFile(const QString &path)
{
    using Status = ArticleSource::Status;
    ArticleSource r;
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
    const QByteArray bytes = f.read(kMaxPracticeFileBytes + 1);
    if (f.error() != QFileDevice::NoError) {
        r.status = Status::Unreadable;
        r.error = f.errorString();
        return r;
    }
    if (bytes.size() > kMaxPracticeFileBytes) {
        r.status = Status::TooLarge;
        return r;
    }
    return ArticleFromText(DecodeTextFile(bytes).text);
}

qsizetype ParagraphCount(QStringView text)
{
    qsizetype n = 0;
    bool content = false;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const QChar c = i < text.size() ? text[i] : QChar(u'\n');
        if (c == u'\n' || c == u'\r') {
            n += content;
            content = false;
        } else if (!c.isSpace()) {
            content = true;
        }
    }
    return n;
}
