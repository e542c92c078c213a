// Fuzzes the text layout and the run together: the first part of the input is
// a practice file, the rest the keystrokes typed over it. Whatever arrives,
// the counters stay consistent and the run ends exactly once.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "practice/PracticeFile.h"
#include "practice/TextLayout.h"
#include "run/PracticeRun.h"

namespace {
class Counter : public RunDisplay {
public:
    int ends = 0;
    void beginPosition(qint16, KeyNumber) override {}
    void showEcho(qint16, const QString &) override {}
    void endPosition(qint16, KeyNumber, bool) override {}
    void wrongCounted() override {}
    void runEnded(const RunOutcome &) override { ++ends; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The file and the keystrokes are separated by the first 0xFF byte.
    size_t cut = 0;
    while (cut < size && data[cut] != 0xFF)
        ++cut;
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(cut));
    TokenTable table;
    if (TokensFromLines(DecodeTextFile(file).text, table) != PracticeFileResult::Status::Ok)
        return 0;
    TextLayout layout;
    if (LayOutText(table, LayoutGeometry{}, layout) != LayoutLimit::None)
        return 0;
    std::vector<QString> symbols;
    for (const PositionCell &p : layout.positions)
        symbols.push_back(p.symbol);
    Counter counter;
    PracticeRun run;
    run.setDisplay(&counter);
    run.start(symbols, 0);
    for (size_t i = cut + 1; i + 1 < size; i += 2) {
        const qint16 key = static_cast<qint16>(data[i] | (data[i + 1] << 8));
        run.keyTyped(key, 0);
        if (run.inProgress())
            run.advance();
    }
    if (run.rightCount > run.posCount || run.rightCount < 0 || run.wrongCount < 0)
        std::abort();
    if (counter.ends > 1 || (counter.ends == 1) == run.inProgress())
        std::abort();
    return 0;
}
