#include <QtTest>

#include "run/KeyMap.h"

namespace {

// The key whose legend shows character c (letters in either case; the
// legends write & and _ full-width), with upper set when it is the shifted one.
const KeyInfo *keyShowing(int c, bool *upper = nullptr)
{
    if (c < 0 || c > 0xFFFF)
        return nullptr;
    const QChar ch = QChar(c >= 'a' && c <= 'z' ? c - 32 : c);
    for (const KeyInfo &k : KeyCatalogue::keys()) {
        for (const char16_t *legend : {k.upper, k.lower}) {
            QString l = QString::fromUtf16(legend);
            l.replace(u'＆', u'&').replace(u'＿', u'_');
            if (l.size() == 1 && l[0] == ch) {
                if (upper)
                    *upper = legend == k.upper && *k.upper && !ch.isLetter();
                return &k;
            }
        }
    }
    return nullptr;
}

} // namespace

class TestKeyMap : public QObject {
    Q_OBJECT
private slots:
    // A typed character belongs to the key whose legend shows it; Backspace,
    // Tab, Enter and the space bar to their own keys; any other code to none.
    void baseKeyOfFollowsTheLegends()
    {
        QList<int> codes{-1, 0x3105, 0x4E2D};
        for (int c = 0; c < 256; ++c)
            codes << c;
        for (int c : codes) {
            const KeyInfo *k = keyShowing(c);
            const int want = (c == 8 || c == 9 || c == 13 || c == 32) ? c : k ? k->key : 0;
            QVERIFY2(BaseKeyOf(qint16(c)) == want, qPrintable(QStringLiteral("code %1").arg(c)));
        }
    }

    // A character needs Shift when it is the upper legend of its key, or a
    // letter in the case that Caps Lock does not give; the Shift to use is
    // the one on the other hand.
    void shiftSideOfFollowsTheLegendsAndHands()
    {
        for (int c = 0; c < 256; ++c) {
            for (bool capsLock : {false, true}) {
                bool upper = false;
                const KeyInfo *k = keyShowing(c, &upper);
                const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
                const bool shifted = letter ? (c <= 'Z') != capsLock : upper;
                const ShiftSide want = !k || !shifted     ? ShiftSide::None
                                       : k->hand == Hand::Left ? ShiftSide::Right
                                                               : ShiftSide::Left;
                QVERIFY2(ShiftSideOf(qint16(c), capsLock) == want,
                         qPrintable(QStringLiteral("code %1, Caps Lock %2").arg(c).arg(capsLock)));
            }
        }
    }

    // The key-up key code names the key that reports it, punctuation included.
    void keyUpFindsTheKeyOfItsCode()
    {
        for (int code = 0; code < 256; ++code) {
            int want = 0;
            for (const KeyInfo &k : KeyCatalogue::keys())
                want = k.platformKeyCode == code && code ? k.key : want;
            QVERIFY2(KeyNumberOfKeyCode(code) == want, qPrintable(QStringLiteral("code %1").arg(code)));
        }
    }
};

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
