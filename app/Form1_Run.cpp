// The main window's practice run: Start, locking, the keyboard events, the
// clock and speed meter, and the report.

#include "app/Form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include "view/AppInfo.h"
#include "app/CapsLock.h"
#include "app/KeyCodes.h"
#include "app/Shapes.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"
#include "run/KeyMap.h"
#include "run/Meters.h"
#include "run/RunReport.h"

void Form1::cmdStart_Click()
{
    if (tmrHand->isActive())
        StopHandDemo();
    if (positionCount() > 0) {
        RunPractice();
        return;
    }
    showMessage(QMessageBox::Information, QStringLiteral("請先開啟檔案或打字課程，再按「開始」鍵。"));
}

void Form1::RunPractice()
{
    // Clear the echoes of an earlier run over the same text.
    bool echoes = false;
    for (const PositionCell &c : textLayout.positions) {
        if (c.echoVisible || !c.echo.isEmpty()) {
            echoes = true;
            break;
        }
    }
    if (echoes) {
        for (int k = 1; k <= positionCount(); ++k) {
            PositionCell &c = textLayout.positions[k - 1];
            c.echo.clear();
            c.echoVisible = false;
        }
        picWindow->picWd->cellsChanged();
        picWindow->VScroll1->setValue(1);
    }

    LockForRun();

    const qint64 now = monotonicMs();
    Timer1->start();
    picWindow->picWd->setFocus();

    recorder.setContext({currentText, speedClass, checkedLayout()});
    std::vector<QString> symbols;
    symbols.reserve(textLayout.positions.size());
    for (const PositionCell &c : textLayout.positions)
        symbols.push_back(c.symbol);
    run.start(std::move(symbols), now);
}

// What a run locks: Start and close, the text menus and the open command,
// the help menu and the keyboard layouts; the hint shows while it runs.
void Form1::setRunLocked(bool locked)
{
    cmdStart->setEnabled(!locked);
    cmdEnd->setEnabled(!locked);
    mnuOpen->setEnabled(!locked);
    for (QMenu *m : {mnuB, mnuD, mnuC, mnuR, mnuE})
        m->menuAction()->setEnabled(!locked);
    frmKeySet->setEnabled(!locked);
    lblEsc->setVisible(locked);
    m_runLocked = locked;
    updateArticleActions();
}

// The clock, the counters and both bars start empty; so do the counts.
void Form1::clearRunDisplays()
{
    Label1->clear();
    lblRight->clear();
    lblWrong->clear();
    Picture1[0]->setBarWidth(0);
    Picture1[1]->setBarWidth(0);
    run.reset();
}

void Form1::LockForRun()
{
    setRunLocked(true);
    clearRunDisplays();
    run.elapsedSeconds = 0;
}

void Form1::ClearRunDisplay()
{
    cmdStart->setEnabled(false);
    cmdEnd->setEnabled(false);
    cmdSandH->setEnabled(false);
    clearRunDisplays();
}

void Form1::mnuEsc_Click()
{
    if (reportPending)
        return; // the run has ended; its outcome stands
    run.requestInterrupt(monotonicMs());
    if (tmrHand->isActive())
        StopHandDemo();
    if (run.inProgress())
        run.advance();
}

// --- What the run shows ----------------------------------------------------

void Form1::beginPosition(qint16 pos, KeyNumber key)
{
    ScrollToPos(pos);
    if (key > 0) {
        picKey->setBorder(key, kNextKeyBorder.color, kNextKeyBorder.width);
        if (charMode)
            ShowShiftHint();
    }
    rememberedEchoBack = textLayout.positions[pos - 1].echoBack;
    setEchoBack(pos, Palette::LightRed);
    setEchoVisible(pos, true);
}

void Form1::showEcho(qint16 pos, const QString &text)
{
    setEcho(pos, text);
}

void Form1::endPosition(qint16 pos, KeyNumber key, bool accepted)
{
    if (accepted) {
        lblRight->setText(QString::number(run.rightCount));
        Picture1[0]->setBarWidth(ProgressBarWidth(run.rightCount, run.posCount));
    }
    setEchoBack(pos, rememberedEchoBack);
    if (key > 0)
        picKey->setBorder(key, kRestBorder.color, kRestBorder.width);
    if (accepted && charMode)
        ShowShiftHint();
}

void Form1::wrongCounted()
{
    lblWrong->setText(QString::number(run.wrongCount));
}

void Form1::runEnded(const RunOutcome &outcome)
{
    // The clock stops with the run and shows the time the report goes by.
    // The report follows once the keystroke that ended the run has been
    // handled; keys typed until it closes change nothing.
    Timer1->stop();
    reportPending = true;
    Label1->setText(ClockText(outcome.elapsedSeconds));
    UpdateSpeedMeter();
    QMetaObject::invokeMethod(this, [this, outcome] { ShowRunReport(outcome); }, Qt::QueuedConnection);
}

void Form1::ShowRunReport(const RunOutcome &outcome)
{
    Timer1->stop();
    const RunReport report = MakeRunReport(outcome.posCount, outcome.typedKey, outcome.rightCount,
                                           outcome.wrongCount, outcome.elapsedSeconds);
    showMessage(report.icon == RunReport::Icon::Exclamation ? QMessageBox::Warning
                                                            : QMessageBox::Information,
                report.text);
    reportPending = false;

    // Back to idle.
    picKey->setFill(2, Palette::EnterShift);
    picKey->setFill(3, Palette::EnterShift);
    setRunLocked(false);
    cmdStart->setFocus();
    ShowRecordProblem();
}

// --- Clock and speed meter -------------------------------------------------

void Form1::Timer1_Timer()
{
    blinkPhase = !blinkPhase;
    Label1->setText(ClockText((monotonicMs() - run.runStartTime) / 1000));
    UpdateSpeedMeter();
    if (curPos >= 1 && curPos <= positionCount())
        setEchoBack(curPos, blinkPhase ? Palette::Yellow : Palette::LightRed);
}

void Form1::UpdateSpeedMeter()
{
    if (!Label1->text().isEmpty()) {
        const qint32 s = SecondsOfClockText(Label1->text());
        if (s >= 0)
            run.elapsedSeconds = s;
    }
    if (run.elapsedSeconds > 0)
        Picture1[1]->setBarWidth(SpeedBarWidth(run.rightCount, run.elapsedSeconds, speedClass));
}

// --- Keyboard events ---------------------------------------------------------

void Form1::setPressed(KeyNumber key, bool pressed)
{
    if (key < 1 || key > kMaxKeyNumber)
        return;
    const int d = pressed ? 1 : 0;
    picKey->moveKeyTop(key, rest.keyLeft[key] + d, rest.keyTop[key] + d);
}

void Form1::setCapsLamp()
{
    shpCapsL->setBackColor(IsCapsLockOn() ? Palette::Green : Palette::LightGrey);
}

void Form1::Form_KeyDown(int keyCode, int shift)
{
    shiftHeld = 0;
    if (keyCode == 20) {
        setPressed(20, true);
        // The Shift a letter needs depends on Caps Lock.
        if (charMode)
            ShowShiftHint();
        setCapsLamp();
    }
    if (shift & 1) {
        setPressed(2, true);
        setPressed(3, true);
        shiftHeld = 1;
    }
}

void Form1::Form_KeyPress(qint16 keyAscii)
{
    if (tmrHand->isActive())
        StopHandDemo();
    const KeyNumber b = run.keyTyped(keyAscii, monotonicMs());
    if (b > 0)
        setPressed(b, true);
    if (run.inProgress()) {
        ScrollToPos(curPos);
        // Every keystroke is judged as it arrives, in order.
        run.advance();
    }
}

void Form1::Form_KeyUp(int keyCode, int)
{
    if (const KeyNumber k = KeyNumberOfKeyCode(keyCode))
        setPressed(k, false);
    if (shiftHeld == 1) {
        setPressed(2, false);
        setPressed(3, false);
    }
}

// A lone Alt during a run would put the menu bar into keyboard mode, where the
// next keys open menus instead of being typed; the access keys of disabled
// menus (the lesson and help menus during a run) do nothing.
bool Form1::menuKeyBlocked(const QKeyEvent *e) const
{
    if (e->key() == Qt::Key_Alt || e->key() == Qt::Key_Meta)
        return run.inProgress() || reportPending;
    if (!(e->modifiers() & Qt::AltModifier))
        return false;
    const QKeySequence pressed(QKeyCombination(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key())));
    const QList<QAction *> menus = menuBar()->actions();
    return std::any_of(menus.begin(), menus.end(), [&](const QAction *a) {
        return !a->isEnabled() && QKeySequence::mnemonic(a->text()) == pressed;
    });
}

// The window sees every key before the focused control does.
bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched == this) {
        // Taken as an ordinary key, a blocked one never reaches the menu bar,
        // which watches the window for Alt and access keys.
        auto *e = static_cast<QKeyEvent *>(event);
        if (menuKeyBlocked(e)) {
            e->accept();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress && qobject_cast<QMenu *>(watched) && run.inProgress()
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // Esc interrupts the run also while one of the window's menus is open.
        static_cast<QMenu *>(watched)->close();
        Form_KeyPress(PracticeRun::kInterrupt);
        return true;
    }
    if (watched != windowHandle())
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        CapsLock::keyEventSeen(e);
        if (e->key() == Qt::Key_CapsLock)
            CapsLock::keyPressed(e);
        if (reportPending) {
            // The run has ended and its report is on its way: nothing typed
            // now is judged, echoed or passed on; the lamp still follows
            // Caps Lock.
            if (e->key() == Qt::Key_CapsLock)
                setCapsLamp();
            return true;
        }
        const bool shift = (e->modifiers() & Qt::ShiftModifier) || e->key() == Qt::Key_Shift;
        Form_KeyDown(KeyCodeOf(e), shift ? 1 : 0);
        // Alt with a letter opens a menu; it types nothing. Shift with Tab
        // arrives as Backtab, on X without its character: it still types Tab.
        if (!(e->modifiers() & Qt::AltModifier)) {
            const bool backtab = e->key() == Qt::Key_Backtab && e->text().isEmpty();
            for (QChar ch : backtab ? QStringLiteral("\t") : e->text())
                Form_KeyPress(static_cast<qint16>(ch.unicode()));
        }
        if (run.inProgress()) {
            // Tab belongs to the run, not to the focus chain; Space and Enter
            // (also the keypad's) must not press a button that happens to
            // have the focus.
            if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
                return true;
            if ((e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
                && qobject_cast<QAbstractButton *>(QApplication::focusWidget()))
                return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        CapsLock::keyboardLost();
        // Keys released while another window has the keyboard (the report
        // that follows a run's last key) never reach this one: no key top
        // stays down.
        for (KeyNumber k = 1; k <= kMaxKeyNumber; ++k) {
            const KeyRect r = picKey->keyTopRect(k);
            if (r.left == rest.keyLeft[k] + 1 && r.top == rest.keyTop[k] + 1)
                setPressed(k, false);
        }
        shiftHeld = 0;
    } else if (event->type() == QEvent::KeyRelease) {
        auto *e = static_cast<QKeyEvent *>(event);
        CapsLock::keyEventSeen(e);
        if (e->isAutoRepeat())
            return false;
        if (e->key() == Qt::Key_CapsLock) {
            CapsLock::keyReleased(e);
            setCapsLamp();
        }
        const bool shift = (e->modifiers() & Qt::ShiftModifier);
        Form_KeyUp(KeyCodeOf(e), shift ? 1 : 0);
    }
    return false;
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing the window ends the program at once, also during a run.
    event->accept();
    Timer1->stop();
    tmrHand->stop();
    QApplication::quit();
}
