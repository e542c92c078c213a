// Fuzzes the built-in text path: a source text cut at blanks and laid out.

#include <cstddef>
#include <cstdint>

#include "practice/Lessons.h"
#include "practice/TextLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TokenTable table;
    SplitLessonText(table, text);
    TextLayout layout;
    LayOutText(table, LayoutGeometry{}, layout);
    return 0;
}
