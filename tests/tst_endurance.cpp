#include "FormTestUtil.h"

#include <QScrollBar>

#include "practice/TextWindow.h"

#include <QFile>

namespace {
long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}
} // namespace

class TestEndurance : public QObject {
    Q_OBJECT
private slots:
    // Loading a 5000-line text 200 times in a row leaves memory flat.
    void reloadingKeepsMemoryFlat()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable big;
        for (int i = 0; i < 5000; ++i)
            big.append(QStringLiteral("中"), QStringLiteral("ㄓㄨㄥˋ"));
        auto load = [&] {
            TokenTable t = big;
            QVERIFY(h.form.LoadPracticeText(t));
            h.form.picWindow->VScroll1->setValue(h.form.picWindow->VScroll1->maximum() / 2);
            QCoreApplication::processEvents();
        };
        for (int i = 0; i < 10; ++i)
            load(); // warm up the allocator and the font caches
        const long before = rssKiB();
        for (int i = 0; i < 200; ++i)
            load();
        const long after = rssKiB();
        qInfo("RSS before %ld KiB, after 200 loads %ld KiB (%+ld KiB)", before, after, after - before);
        if (before < 0)
            QSKIP("no /proc/self/statm on this system");
        QVERIFY2(after - before < 4096, "memory grows with every load");
        QCOMPARE(h.form.positionCount(), 20000);
    }
};

QTEST_MAIN(TestEndurance)
#include "tst_endurance.moc"
