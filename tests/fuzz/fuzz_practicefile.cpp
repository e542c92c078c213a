// Fuzzes the practice-file path: bytes as read from disk, decoded (UTF-8, UTF-16 or
// code page 950), cut into tokens and laid out.

#include <cstddef>
#include <cstdint>

#include "practice/PracticeFile.h"
#include "practice/TextLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TokenTable table;
    if (TokensFromLines(DecodeTextFile(bytes).text, table) != PracticeFileResult::Status::Ok)
        return 0;
    TextLayout layout;
    LayOutText(table, LayoutGeometry{}, layout);
    return 0;
}
