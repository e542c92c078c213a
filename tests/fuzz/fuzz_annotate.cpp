// Fuzzes the annotator: bytes as a learner's article arrives (UTF-8 or code
// page 950), annotated over the installed reading tables, every reading
// changed for its whole phrase, the result turned into a token table and a
// practice file and laid out.

#include <cstddef>
#include <cstdint>

#include "annotate/Annotator.h"
#include "practice/PracticeFile.h"
#include "practice/TextDecoding.h"
#include "practice/TextLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static annotate::Annotator &annotator = [] () -> annotate::Annotator & {
        annotate::Annotator &a = annotate::Annotator::shared();
        if (!a.load())
            __builtin_trap(); // nothing to fuzz without the tables
        return a;
    }();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = DecodeTextFile(bytes).text;
    (void)annotate::looksLikePracticeFile(text);
    annotate::Annotation a = annotator.annotate(text);
    for (qint32 l = 0; l < qint32(a.lines.size()); ++l) {
        for (qint32 k = 0; k < qint32(a.lines[l].items.size()); ++k) {
            const annotate::Item &it = a.lines[l].items[k];
            if (it.candidates.size() > 1)
                annotate::setReading(a, {l, k}, it.candidates.back(), annotate::ChangeScope::SamePhrase);
        }
    }
    TokenTable table = annotate::toTokenTable(a);
    TokenTable read;
    const auto status = TokensFromLines(annotate::toPracticeFileText(a), read);
    if (status == PracticeFileResult::Status::Ok && read.size() != table.size())
        __builtin_trap(); // a practice file within the limits reads back as the table
    TextLayout layout;
    LayOutText(table, LayoutGeometry{}, layout);
    return 0;
}
