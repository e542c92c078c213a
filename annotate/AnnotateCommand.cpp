#include "annotate/AnnotateCommand.h"

#include <QFile>
#include <QFileInfo>

#include "annotate/Annotator.h"
#include "practice/PracticeFile.h"

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
    const QString text = DecodePracticeText(bytes);
    // Bytes neither UTF-8 nor Big5 decode to substitution characters.
    if (text.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
        return fail(QStringLiteral("無法辨識文字的編碼（不是 UTF-8，也不是 Big5）。"));

    Annotator &annotator = Annotator::shared();
    QString error;
    if (!annotator.load(&error)) {
        print(err, error + QLatin1Char('\n'));
        return 1;
    }
    const Annotation a = annotator.annotate(text);
    if (!a.hasSomethingToType())
        return fail(QStringLiteral("沒有可以打的字。"));

    const QByteArray practice = toPracticeFileText(a).toUtf8();
    if (arguments.size() == 3) {
        QFile o(arguments[2]);
        if (!o.open(QIODevice::WriteOnly | QIODevice::Truncate) || o.write(practice) != practice.size()
            || !o.flush()) {
            print(err, QStringLiteral("%1：無法寫入（%2）。\n").arg(arguments[2], o.errorString()));
            return 1;
        }
    } else {
        std::fwrite(practice.constData(), 1, size_t(practice.size()), out);
        std::fflush(out);
    }

    // Readings to check, with the lines they are on.
    for (qint32 l = 0; l < qint32(a.lines.size()); ++l) {
        const Line &line = a.lines[l];
        for (qint32 k = 0; k < qint32(line.items.size()); ++k) {
            const Item &it = line.items[k];
            if (!it.uncertain)
                continue;
            print(err, QStringLiteral("%1:%2: %3%4（%5）？也可讀 %6\n")
                           .arg(in)
                           .arg(line.sourceLine)
                           .arg(it.text, it.reading, a.phraseText({l, k}),
                                it.candidates.mid(1).join(QLatin1Char(' '))));
        }
    }
    return 0;
}

} // namespace annotate
