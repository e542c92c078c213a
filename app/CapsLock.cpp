#include "app/CapsLock.h"

#include <QGuiApplication>
#include <QKeyEvent>

#if defined(QUILLORY_HAVE_X11)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {

std::optional<bool> g_override;
std::optional<bool> g_afterPress; // predicted state between press and release
bool g_tracked = false;           // platforms without a query
std::optional<bool> g_seen;       // the Lock state the last key event carried
int g_queries = 0;

bool onX11()
{
#if defined(QUILLORY_HAVE_X11)
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    return xcb;
#else
    return false;
#endif
}

std::optional<bool> platformState()
{
#if defined(QUILLORY_HAVE_X11)
    if (onX11()) {
        if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (Display *dpy = x11->display()) {
                XkbStateRec state;
                ++g_queries;
                if (XkbGetState(dpy, XkbUseCoreKbd, &state) == Success)
                    return (state.locked_mods & LockMask) != 0;
            }
        }
    }
#endif
#if defined(Q_OS_WIN)
    ++g_queries;
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
#endif
    return std::nullopt;
}

} // namespace

namespace CapsLock {

bool isOn()
{
    if (g_override)
        return *g_override;
    if (g_afterPress)
        return *g_afterPress;
    if (g_seen)
        return *g_seen;
    if (auto s = platformState())
        return *s;
    return g_tracked;
}

void keyPressed(const QKeyEvent *event)
{
    if (event && event->isAutoRepeat())
        return;
#if defined(QUILLORY_HAVE_X11)
    if (event && QGuiApplication::platformName() == QLatin1String("xcb")) {
        // X turns Caps Lock on at the press but off only at the release: the
        // Lock modifier of the event is the state before it.
        g_afterPress = (event->nativeModifiers() & LockMask) == 0;
        return;
    }
#endif
    if (!platformState())
        g_tracked = !g_tracked;
}

void keyReleased(const QKeyEvent *event)
{
    if (event && event->isAutoRepeat())
        return;
    g_afterPress.reset();
}

void keyEventSeen(const QKeyEvent *event)
{
#if defined(QUILLORY_HAVE_X11)
    if (!event || !onX11())
        return;
    if (event->key() == Qt::Key_CapsLock) {
        // Its own events carry the state before them, which its release
        // may change: the next other key tells again.
        g_seen.reset();
        return;
    }
    g_seen = (event->nativeModifiers() & LockMask) != 0;
#else
    Q_UNUSED(event);
#endif
}

void keyboardLost()
{
    g_seen.reset();
}

void setOverride(std::optional<bool> on)
{
    g_override = on;
}

int platformQueries()
{
    return g_queries;
}

} // namespace CapsLock
