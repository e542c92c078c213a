#include "annotate/AnnotateCommand.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "annotate/Annotator.h"
#include "practice/PracticeFile.h"
#include "practice/TextDecoding.h"

namespace annotate {

namespace {

void print(std::FILE *f, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

} // namespace

bool isAnnotateCommand(const QStringList &arguments)
{
    return !arguments.isEmpty() && arguments.first() == QLatin1String("--annotate");
}

int runAnnotateCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    if (arguments.size() < 2 || arguments.size() > 3 || arguments[0] != QLatin1String("--annotate")) {
        print(err, QStringLiteral("用法：quillory --annotate 輸入.txt [輸出.txt]\n"
                                  "usage: quillory --annotate IN.txt [OUT.txt]\n"));
        return 2;
    }
    const QString in = arguments[1];
    auto fail = [&](const QString &reason) {
        print(err, QStringLiteral("%1：%2\n").arg(in, reason));
        return 1;
    };
    const QFileInfo info(in);
    if (!info.exists())
        return fail(QStringLiteral("找不到這個檔案。"));
    if (!info.isFile())
        return fail(QStringLiteral("這不是檔案。"));
    QFile f(in);
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("無法讀取（%1）。").arg(f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fail(QStringLiteral("無法讀取（%1）。").arg(f.errorString()));
    const QString text = DecodeTextFile(bytes).text;
    // Bytes neither UTF-8 nor Big5 decode to substitution characters.
    if (text.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
        return fail(QStringLiteral("無法辨識文字的編碼（不是 UTF-8，也不是 Big5）。"));

    // The output: OUT replaced only when everything is written, or stdout.
    QSaveFile file(arguments.value(2));
    const bool toFile = arguments.size() == 3;
    auto cannotWrite = [&] {
        print(err, QStringLiteral("%1：無法寫入（%2）。\n").arg(arguments[2], file.errorString()));
        return false;
    };
    if (toFile && !file.open(QIODevice::WriteOnly))
        return cannotWrite(), 1;
    auto stream = [&](QByteArray &bytes) {
        if (toFile) {
            if (file.write(bytes) != bytes.size())
                return cannotWrite();
        } else if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) != size_t(bytes.size())) {
            return false;
        }
        bytes.clear();
        return true;
    };
    auto finish = [&] {
        if (toFile)
            return file.commit() || cannotWrite();
        return std::fflush(out) == 0;
    };
    auto write = [&](QByteArray bytes) { return stream(bytes) && finish(); };

    // A file that already is a practice file is written out as it is.
    if (looksLikePracticeFile(text)) {
        print(err, QStringLiteral("%1：已經是打字檔，照原樣寫出。\n").arg(in));
        return write(text.toUtf8()) ? 0 : 1;
    }

    Annotator &annotator = Annotator::shared();
    QString error;
    if (!annotator.load(&error)) {
        print(err, error + QLatin1Char('\n'));
        return 1;
    }

    // Annotated a few thousand lines at a time, so that a long text needs no
    // more memory than a short one; the output waits only until the first
    // character to type is found.
    const bool literary = Annotator::isLiteraryChinese(text);
    constexpr int kLinesAtATime = 2000;
    qsizetype typed = 0;
    bool paragraphs = false;
    QByteArray pending;
    qint32 firstLine = 1;
    for (qsizetype begin = 0; begin < text.size();) {
        qsizetype end = begin;
        int lines = 0;
        while (end < text.size() && lines < kLinesAtATime)
            lines += text[end++] == u'\n';
        const Annotation a = annotator.annotate(QStringView(text).mid(begin, end - begin), literary, firstLine);
        firstLine += lines;
        begin = end;
        if (a.lines.empty())
            continue;
        if (paragraphs)
            pending += "\xE3\x80\x80\n"; // a full-width space: a paragraph break
        paragraphs = true;
        pending += toPracticeFileText(a).toUtf8();
        typed += a.typedCount();
        if (typed > 0 && !stream(pending))
            return 1;
        // Readings to check, with the lines they are on.
        for (qint32 l = 0; l < qint32(a.lines.size()); ++l) {
            const Line &line = a.lines[l];
            for (qint32 k = 0; k < qint32(line.items.size()); ++k) {
                const Item &it = line.items[k];
                if (!it.uncertain)
                    continue;
                const QString others = it.candidates.mid(1).join(QLatin1Char(' '));
                print(err, QStringLiteral("%1:%2: %3%4（%5）？%6\n")
                               .arg(in)
                               .arg(line.sourceLine)
                               .arg(it.text, it.reading, a.phraseText({l, k}),
                                    others.isEmpty() ? QString() : QStringLiteral("也可讀 ") + others));
            }
        }
    }
    if (typed == 0)
        return fail(QStringLiteral("沒有可以打的字。"));
    return finish() ? 0 : 1;
}

} // namespace annotate
