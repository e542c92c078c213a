#pragma once
// Helpers for tests that drive the main window: message boxes recorded
// instead of shown, a clock the test sets, and keys sent through the window
// as the platform delivers them.

#include <QtTest>

#include <QMessageBox>
#include <QWindow>

#include "KeyboardShot.h"
#include "app/Form1.h"
#include "practice/KeyCatalogue.h"

struct ShownMessage {
    QMessageBox::Icon icon;
    QString text;
};

class FormHarness {
public:
    Form1 form;
    QList<ShownMessage> messages;
    qint64 now = 0; // milliseconds of the fake monotonic clock

    FormHarness()
    {
        form.showMessage = [this](QMessageBox::Icon icon, const QString &text) {
            messages.append({icon, text});
        };
        form.monotonicMs = [this] { return now; };
    }

    bool show()
    {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }

    QWindow *window() { return form.windowHandle(); }

    // One keystroke as the platform delivers it: press with its text, release.
    void key(char ch, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(window(), ch, mods);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(window(), k, mods); }
    void type(const QString &text)
    {
        for (QChar c : text) {
            const char ch = char(c.unicode());
            const bool shifted = QByteArrayLiteral("~!@#$%^&*()_+{}|:\"<>?").contains(ch)
                                 || (ch >= 'A' && ch <= 'Z');
            key(ch, shifted ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }

    // Moves the clock and lets the practice clock tick.
    void tickAt(qint64 ms)
    {
        now = ms;
        form.Timer1_Timer();
    }

    // Waits for the report of the run (it follows the run's last keystroke).
    bool waitForMessage(int count = 1)
    {
        return QTest::qWaitFor([&] { return messages.size() >= count; }, 2000);
    }
};

// The key that types a position's symbol, as a character to send.
inline char keyFor(const QString &symbol)
{
    if (symbol.size() == 1 && symbol[0].unicode() < 128)
        return char(symbol[0].unicode());
    const KeyNumber k = KeyOfSymbol(symbol);
    if (k >= 'A' && k <= 'Z')
        return char(k + 32);
    return char(k);
}

// The keystrokes that type every position of the loaded text.
inline QString keysForText(const Form1 &f)
{
    QString keys;
    for (const PositionCell &p : f.textLayout.positions)
        keys += QLatin1Char(keyFor(p.symbol));
    return keys;
}

inline TokenTable tableOf(std::initializer_list<std::pair<const char16_t *, const char16_t *>> list)
{
    TokenTable t;
    for (auto [c, r] : list)
        t.append(QString::fromUtf16(c), QString::fromUtf16(r));
    return t;
}
