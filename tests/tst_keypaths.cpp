// The keys' own way into the window on the platform the test runs on: Qt's
// key events offscreen, or real key presses on an X server (XTest), where the
// window maps X keycodes to keys and predicts Caps Lock at its press.

#include "FormTestUtil.h"

#include <QPushButton>

#include "app/CapsLock.h"
#include "app/Shapes.h"
#include "keyboard/KeyboardView.h"

#if defined(QUILLORY_HAVE_X11)
#include <X11/Xlib.h>
#include <dlfcn.h>
#endif

namespace {

// The keyboard's character keys by their unshifted and shifted characters.
const QString kUnshifted = QStringLiteral("`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./");
const QString kShifted = QStringLiteral("~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?");

struct Key {
    QString keysym; // the X keysym of the key
    QChar ch;       // its unshifted character, or 0 for a named key
    Qt::Key qtKey;  // the key of a named key
    KeyNumber number;
};

QList<Key> allKeys()
{
    const std::pair<QChar, const char *> names[] = {
        {u'`', "grave"}, {u'-', "minus"}, {u'=', "equal"}, {u'[', "bracketleft"}, {u']', "bracketright"},
        {u'\\', "backslash"}, {u';', "semicolon"}, {u'\'', "apostrophe"}, {u',', "comma"},
        {u'.', "period"}, {u'/', "slash"}};
    QList<Key> keys;
    for (QChar c : kUnshifted) {
        QString sym = c;
        for (auto [ch, name] : names)
            sym = ch == c ? QString::fromLatin1(name) : sym;
        keys.append({sym, c, Qt::Key_unknown, KeyNumber(c.toUpper().unicode())});
    }
    keys.append({QStringLiteral("space"), QChar(), Qt::Key_Space, 32});
    keys.append({QStringLiteral("Tab"), QChar(), Qt::Key_Tab, 9});
    keys.append({QStringLiteral("BackSpace"), QChar(), Qt::Key_Backspace, 8});
    keys.append({QStringLiteral("Return"), QChar(), Qt::Key_Return, 13});
    keys.append({QStringLiteral("Caps_Lock"), QChar(), Qt::Key_CapsLock, 20});
    return keys;
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Presses or releases a key: through the X server on X11, otherwise as the
// key event Qt delivers (the shifted character while Shift is held).
void sendKey(QWindow *window, const Key &key, bool down)
{
    static bool shiftHeld = false;
#if defined(QUILLORY_HAVE_X11)
    if (onX11()) {
        Display *dpy = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        using FakeKey = int (*)(Display *, unsigned, int, unsigned long);
        static const auto fakeKey = reinterpret_cast<FakeKey>(dlsym(dlopen("libXtst.so.6", RTLD_NOW), "XTestFakeKeyEvent"));
        QVERIFY(fakeKey);
        fakeKey(dpy, XKeysymToKeycode(dpy, XStringToKeysym(key.keysym.toLatin1().constData())), down, 0);
        XFlush(dpy);
        return;
    }
#endif
    const Qt::KeyboardModifiers mods = shiftHeld ? Qt::ShiftModifier : Qt::NoModifier;
    if (key.keysym.startsWith(QLatin1String("Shift"))) {
        shiftHeld = down;
        QTest::simulateEvent(window, down, Qt::Key_Shift, mods, QString(), false);
    } else if (key.ch.isNull()) {
        const QString text = key.qtKey == Qt::Key_CapsLock ? QString() : QString(QChar(QTest::keyToAscii(key.qtKey)));
        QTest::simulateEvent(window, down, key.qtKey, mods, text, false);
    } else {
        const QChar c = shiftHeld ? kShifted[kUnshifted.indexOf(key.ch)] : key.ch;
        QTest::simulateEvent(window, down, QTest::asciiToKey(char(c.unicode())), mods, c, false);
    }
}

} // namespace

class TestKeyPaths : public QObject {
    Q_OBJECT

    FormHarness *h = nullptr;
    QList<KeyRect> rest; // every key top's place before the keys are pressed

    void startRun(TokenTable t)
    {
        delete h;
        h = new FormHarness;
        QVERIFY(h->show());
        h->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h->form));
        QVERIFY(h->form.LoadPracticeText(t));
        h->form.cmdStart->click();
        rest.clear();
        for (const KeyInfo &k : KeyCatalogue::keys())
            rest << h->form.picKey->keyTopRect(k.key);
    }

    // Waits until key top k sinks (pressed) or stands at its place.
    bool sunk(KeyNumber k, bool pressed)
    {
        const auto keys = KeyCatalogue::keys();
        const auto at = std::find_if(keys.begin(), keys.end(), [k](const KeyInfo &i) { return i.key == k; });
        KeyRect want = rest.at(int(at - keys.begin()));
        want.left += pressed;
        want.top += pressed;
        return QTest::qWaitFor([&] { return h->form.picKey->keyTopRect(k) == want; }, 2000);
    }

private slots:
    void cleanupTestCase() { delete h; }

    // Every key sinks while it is held and stands at its place again once
    // released, with and without Shift; Shift sinks both Shift keys.
    void everyKeyReturnsToItsPlace()
    {
        startRun(tableOf({{u"八", u"ㄅㄅㄅㄅㄅ"}})); // keys are judged; the run goes on
        QWindow *w = h->form.windowHandle();
        const Key shifts[] = {{QStringLiteral("Shift_L"), QChar(), Qt::Key_Shift, 2},
                              {QStringLiteral("Shift_R"), QChar(), Qt::Key_Shift, 3}};
        for (const Key &key : allKeys()) {
            if (key.number == 20)
                continue; // Caps Lock: below
            for (const Key *shift : {static_cast<const Key *>(nullptr), &shifts[0], &shifts[1]}) {
                const QString what = key.keysym + (shift ? QStringLiteral(" with ") + shift->keysym : QString());
                if (shift) {
                    sendKey(w, *shift, true);
                    QVERIFY2(sunk(2, true) && sunk(3, true), qPrintable(what));
                }
                sendKey(w, key, true);
                QVERIFY2(sunk(key.number, true), qPrintable(what + " does not sink"));
                // Shift let go first for the right Shift: the key comes up unshifted.
                if (shift == &shifts[1])
                    sendKey(w, *shift, false);
                sendKey(w, key, false);
                if (shift == &shifts[0])
                    sendKey(w, *shift, false);
                QVERIFY2(sunk(key.number, false), qPrintable(what + " stays down"));
                QVERIFY2(!shift || (sunk(2, false) && sunk(3, false)), qPrintable(what));
            }
        }
        QVERIFY(h->form.runInProgress());
        QCOMPARE(h->form.run.rightCount, 1 + 2); // "1", "!" and "!" typed the ㄅ there
    }

    // Typing asks the X server nothing: each key event carries the Caps Lock
    // state the Shift hint needs, so no keystroke waits for a reply.
    void typingAsksNothingOfTheServer()
    {
        if (!onX11())
            QSKIP("only the X server is asked");
        startRun(tableOf({{u"a", u"a"}, {u"b", u"b"}, {u"c", u"c"}}));
        QWindow *w = h->form.windowHandle();
        const QList<Key> keys = allKeys();
        const int asked = CapsLock::platformQueries();
        for (QChar c : {u'a', u'b'}) {
            const Key key = *std::find_if(keys.begin(), keys.end(), [c](const Key &k) { return k.ch == c; });
            sendKey(w, key, true);
            QVERIFY(sunk(key.number, true));
            sendKey(w, key, false);
            QVERIFY(sunk(key.number, false));
        }
        QCOMPARE(h->form.run.rightCount, 2);
        QCOMPARE(CapsLock::platformQueries(), asked);
    }

    // Caps Lock is on from its press: the lamp turns green and a small letter
    // now needs the right Shift, before the key is released; a second press
    // turns both back.
    void capsLockAtItsPress()
    {
        startRun(tableOf({{u"a", u"a"}}));
        QWindow *w = h->form.windowHandle();
        const Key capsLock = allKeys().last();
        const bool before = h->form.IsCapsLockOn();
        for (bool on : {!before, before}) {
            for (bool down : {true, false}) {
                sendKey(w, capsLock, down);
                QVERIFY(sunk(20, down));
                QCOMPARE(h->form.IsCapsLockOn(), on);
                QVERIFY(KeyboardShot(h->form.shpCapsL, true).is(6, 8, on ? Palette::Green : Palette::LightGrey));
                QCOMPARE(h->form.picKey->fillColor(3), on ? Palette::Red : Palette::EnterShift);
            }
        }
    }
};

QTEST_MAIN(TestKeyPaths)
#include "tst_keypaths.moc"
