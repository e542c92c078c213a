#!/usr/bin/env python3
"""Fault planting: how many realistic faults do the tests catch?

Plants one fault at a time (an off-by-one, a swapped colour, a dropped call,
a wrong table entry, an inverted condition, a changed constant...) into a
copy of the product code, rebuilds it incrementally and runs the unit and
widget tests (ctest -L 'unit|widget'). A fault is killed when a test fails
(or times out), and survives when they all pass. Prints each fault with the
tests that caught it, the survivors, and the share killed.

A developer tool, not part of ./test.sh. The source is copied into the work
folder (default build-faults/), so the working tree is never touched and an
interrupted run leaves nothing behind; only the copy's changed files are
rewritten, so rebuilds stay incremental. ccache makes the second plant of a
fault, and every restore, a cache hit.

  scripts/plant-faults.py                 every fault, unit and widget tests
  scripts/plant-faults.py --list          the faults, without running anything
  scripts/plant-faults.py --only ID ...   some faults (ids or tags of escaped faults: escaped-1)
  scripts/plant-faults.py --suite all     the whole suite (as ./test.sh), e2e included
  scripts/plant-faults.py --every-test    run every test, not only up to the first failure
  scripts/plant-faults.py --resume        go on after an interruption
"""

import argparse
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# id, file, [(text, replacement), ...], what the learner would see.
# Tags escaped-N mark the faults a fault-planting run once let through.
F = []


def fault(fid, path, edits, what, tag=None):
    F.append({"id": fid, "file": path, "edits": edits, "what": what, "tag": tag})


# --- app/Form1.cpp: start-up, placement, speed classes -------------------------
fault("place-below-centre", "app/Form1.cpp",
      [("(full.height() - height()) / 2 - 250 / kTwipsPerPixel",
        "(full.height() - height()) / 2 + 250 / kTwipsPerPixel")],
      "the window placed below the centre of the screen", "escaped-7")
fault("place-off-centre-across", "app/Form1.cpp",
      [("full.left() + (full.width() - width()) / 2", "full.left() + (full.width() - width()) / 3")],
      "the window not centred across the screen")
fault("speed-class-off-by-one", "app/Form1.cpp",
      [("speedClass = static_cast<qint16>(index + 1);", "speedClass = static_cast<qint16>(index);")],
      "each speed class one keystroke a second too slow")
fault("speed-class-no-rescale", "app/Form1.cpp",
      [("    recorder.context().speedClass = speedClass;\n    UpdateSpeedMeter();",
        "    recorder.context().speedClass = speedClass;")],
      "the speed meter not rescaled when the speed class changes")
fault("lamp-start-grey-when-on", "app/Form1.cpp",
      [("        shpCapsL->setBackColor(Palette::Green);", "        shpCapsL->setBackColor(Palette::LightGrey);")],
      "the Caps Lock lamp not green at start-up with Caps Lock on")
fault("clock-interval", "app/Form1.cpp",
      [("Timer1->setInterval(500);", "Timer1->setInterval(1000);")],
      "the clock ticks (and the position blinks) once a second instead of twice")
fault("start-class-fast", "app/Form1.cpp",
      [("    optClass[2]->setChecked(true);\n    optClass_Click(2);", "    optClass[3]->setChecked(true);\n    optClass_Click(3);")],
      "the speed class 飆速 selected at start-up")
fault("hint-shown-at-start", "app/Form1.cpp",
      [("    lblEsc->hide();\n\n    // 18.", "\n    // 18.")],
      "the Esc hint shown before any run")
fault("title-top-off-by-one", "app/Form1.cpp",
      [("    titleTop = 28;", "    titleTop = 29;")],
      "every symbol cell one pixel too low")
fault("tab-order-lost", "app/Form1.cpp",
      [("    setTabOrder(cmdStart, cmdEnd);\n    setTabOrder(cmdEnd, cmdSandH);\n", "")],
      "the buttons in the order they were made, not Start, 關閉, 隱藏鍵盤")
fault("esc-hint-over-text", "app/Form1.cpp",
      [("{628, 88, 157, 17}", "{628, 98, 157, 17}")],
      "the Esc hint lying over the text window")
fault("open-shortcut-lost", "app/Form1.cpp",
      [("    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));\n", "")],
      "Ctrl+O no longer opens a practice file")
fault("caps-lamp-caption", "app/Form1.cpp",
      [('QStringLiteral("Caps Lock"), {536, 72, 29, 29}', 'QStringLiteral("CapsLock"), {536, 72, 29, 29}')],
      "the lamp's caption misspelt")

# --- app/Form1_Run.cpp: the run, judging, clock, report ------------------------
fault("start-keeps-hands", "app/Form1_Run.cpp",
      [("    if (tmrHand->isActive())\n        StopHandDemo();\n    if (positionCount() > 0) {",
        "    if (positionCount() > 0) {")],
      "the hands demonstration not stopped by Start", "escaped-7")
fault("start-with-nothing", "app/Form1_Run.cpp",
      [("    if (positionCount() > 0) {", "    if (positionCount() >= 0) {")],
      "Start with no text loaded starts an empty run")
fault("old-echoes-stay", "app/Form1_Run.cpp",
      [("            c.echoVisible = false;\n", "")],
      "a second run shows the echoes of the first")
fault("restart-scroll", "app/Form1_Run.cpp",
      [("picWindow->VScroll1->setValue(1);", "picWindow->VScroll1->setValue(0);")],
      "a second run's text scrolled differently")
fault("clock-after-first-position", "app/Form1_Run.cpp",
      [("    Timer1->start();\n    picWindow->picWd->setFocus();", "    picWindow->picWd->setFocus();"),
       ("    run.start(std::move(symbols), now);", "    run.start(std::move(symbols), now);\n    Timer1->start();")],
      "the clock started after the first position: no Shift hint for it", "escaped-3")
fault("run-focus-on-button", "app/Form1_Run.cpp",
      [("    picWindow->picWd->setFocus();\n", "")],
      "during a run the focus stays on a button")
fault("close-usable-in-run", "app/Form1_Run.cpp",
      [("    cmdEnd->setEnabled(!locked);", "    cmdEnd->setEnabled(true);")],
      "关閉 not locked during a run")
fault("layouts-usable-in-run", "app/Form1_Run.cpp",
      [("    frmKeySet->setEnabled(!locked);\n", "")],
      "the keyboard layouts can change during a run")
fault("hint-inverted", "app/Form1_Run.cpp",
      [("    lblEsc->setVisible(locked);", "    lblEsc->setVisible(!locked);")],
      "the Esc hint shown between runs and hidden during them")
fault("progress-not-cleared", "app/Form1_Run.cpp",
      [("    Picture1[0]->setBarWidth(0);\n    Picture1[1]", "    Picture1[1]")],
      "a new run starts with the last run's progress bar")
fault("speed-not-cleared", "app/Form1_Run.cpp",
      [("    Picture1[1]->setBarWidth(0);\n    run.reset();", "    run.reset();")],
      "a new run starts with the last run's speed bar")
fault("esc-menu-waits", "app/Form1_Run.cpp",
      [("    if (run.inProgress())\n        run.advance();\n}", "}")],
      "the Esc menu item ends the run only at the next key")
fault("esc-menu-keeps-hands", "app/Form1_Run.cpp",
      [("    run.requestInterrupt(monotonicMs());\n    if (tmrHand->isActive())\n        StopHandDemo();",
        "    run.requestInterrupt(monotonicMs());")],
      "the Esc menu item leaves the hands demonstration running")
fault("next-key-thin-border", "app/Form1_Run.cpp",
      [("picKey->setBorder(key, kNextKeyBorder.color, kNextKeyBorder.width);", "picKey->setBorder(key, kNextKeyBorder.color, 1);")],
      "the next key's border one pixel wide")
fault("no-shift-hint-in-run", "app/Form1_Run.cpp",
      [("        if (charMode)\n            ShowShiftHint();\n    }\n    rememberedEchoBack",
        "    }\n    rememberedEchoBack")],
      "no Shift hint during a run", "escaped-3")
fault("current-echo-yellow", "app/Form1_Run.cpp",
      [("    setEchoBack(pos, Palette::LightRed);", "    setEchoBack(pos, Palette::Yellow);")],
      "the current position not marked light red")
fault("echo-never-shown", "app/Form1_Run.cpp",
      [("    setEchoVisible(pos, true);\n", "")],
      "no echo cell ever shown")
fault("right-count-not-shown", "app/Form1_Run.cpp",
      [("        lblRight->setText(QString::number(run.rightCount));\n", "")],
      "the right-key counter not updated")
fault("progress-off-by-one", "app/Form1_Run.cpp",
      [("ProgressBarWidth(run.rightCount, run.posCount)", "ProgressBarWidth(run.rightCount - 1, run.posCount)")],
      "the progress bar one position behind, never full")
fault("red-borders-stay", "app/Form1_Run.cpp",
      [("    if (key > 0)\n        picKey->setBorder(key, kRestBorder.color, kRestBorder.width);", "")],
      "typed keys keep the red next-key border")
fault("wrong-count-not-shown", "app/Form1_Run.cpp",
      [("    lblWrong->setText(QString::number(run.wrongCount));", "")],
      "the wrong-key counter not updated")
fault("shift-hint-left-lit", "app/Form1_Run.cpp",
      [("    picKey->setFill(2, Palette::EnterShift);\n    picKey->setFill(3, Palette::EnterShift);\n", "")],
      "the Shift hint left lit after a run that ends on a shifted character", "escaped-3")
fault("report-start-not-focused", "app/Form1_Run.cpp",
      [("    setRunLocked(false);\n    cmdStart->setFocus();", "    setRunLocked(false);")],
      "Start not focused after the report")
fault("report-warning-icon", "app/Form1_Run.cpp",
      [("report.icon == RunReport::Icon::Exclamation ? QMessageBox::Warning\n                                                            : QMessageBox::Information",
        "report.icon == RunReport::Icon::Exclamation ? QMessageBox::Information\n                                                            : QMessageBox::Warning")],
      "the report shown with a warning icon")
fault("no-blink", "app/Form1_Run.cpp",
      [("        setEchoBack(curPos, blinkPhase ? Palette::Yellow : Palette::LightRed);", "        ;")],
      "the current position does not blink")
fault("clock-tenths", "app/Form1_Run.cpp",
      [("(monotonicMs() - run.runStartTime) / 1000", "(monotonicMs() - run.runStartTime) / 100")],
      "the clock runs ten times too fast")
fault("pressed-not-down", "app/Form1_Run.cpp",
      [("rest.keyTop[key] + d);", "rest.keyTop[key]);")],
      "a held key moves right but not down")
fault("lamp-off-grey", "app/Form1_Run.cpp",
      [("IsCapsLockOn() ? Palette::Green : Palette::LightGrey", "IsCapsLockOn() ? Palette::Green : Palette::Grey")],
      "the Caps Lock lamp dark grey when Caps Lock goes off")
fault("right-shift-not-sunk", "app/Form1_Run.cpp",
      [("        setPressed(2, true);\n        setPressed(3, true);", "        setPressed(2, true);")],
      "the right Shift key top does not sink with Shift")
fault("caps-no-hint-refresh", "app/Form1_Run.cpp",
      [("        if (charMode)\n            ShowShiftHint();\n        setCapsLamp();", "        setCapsLamp();")],
      "Caps Lock does not update the Shift hint")
fault("typed-key-keeps-hands", "app/Form1_Run.cpp",
      [("    if (tmrHand->isActive())\n        StopHandDemo();\n    const KeyNumber b", "    const KeyNumber b")],
      "a typed key does not stop the hands demonstration")
fault("no-scroll-on-key", "app/Form1_Run.cpp",
      [("        ScrollToPos(curPos);\n        // Every keystroke", "        // Every keystroke")],
      "a key typed with the current position scrolled away does not bring it back")
fault("shift-stays-down", "app/Form1_Run.cpp",
      [("    if (shiftHeld == 1) {", "    if (shiftHeld == 0) {")],
      "the Shift key tops stay down after Shift")
fault("alt-letter-judged", "app/Form1_Run.cpp",
      [("        if (!(e->modifiers() & Qt::AltModifier)) {", "        {")],
      "Alt+letter during a run counted as a wrong keystroke", "escaped-7")
fault("tab-leaves-run", "app/Form1_Run.cpp",
      [("            if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)\n                return true;\n", "")],
      "Tab moves the focus away during a run")
fault("caps-press-ignored", "app/Form1_Run.cpp",
      [("        if (e->key() == Qt::Key_CapsLock)\n            CapsLock::keyPressed(e);\n", "")],
      "Caps Lock's press not noticed (the lamp follows only later)")
fault("space-presses-button", "app/Form1_Run.cpp",
      [("(e->key() == Qt::Key_Space || e->key() == Qt::Key_Return", "(e->key() == Qt::Key_Return")],
      "Space presses a focused button during a run")

# --- app/Form1_Text.cpp: text window, scrolling, menus, files ------------------
fault("echo-not-repainted", "app/Form1_Text.cpp",
      [("    f->picWindow->picWd->updateEcho(k);\n", "")],
      "typed symbols never appear in the echo cells", "escaped-1")
fault("load-keeps-scroll", "app/Form1_Text.cpp",
      [("    SetScrollRange(true);\n    cmdStart->setEnabled(true);", "    SetScrollRange(false);\n    cmdStart->setEnabled(true);")],
      "a new text opens scrolled where the last one was")
fault("load-start-not-focused", "app/Form1_Text.cpp",
      [("    cmdSandH->setEnabled(true);\n    cmdStart->setFocus();", "    cmdSandH->setEnabled(true);")],
      "Start not focused after a text is loaded")
fault("scroll-step", "app/Form1_Text.cpp",
      [("bar->setSingleStep(28);", "bar->setSingleStep(18);")],
      "the scroll arrows move by the wrong amount")
fault("scroll-max", "app/Form1_Text.cpp",
      [("bar->setMaximum(sheet->height() - frame);", "bar->setMaximum(sheet->height());")],
      "the text scrolls past its end")
fault("sheet-shorter-than-frame", "app/Form1_Text.cpp",
      [("    if (sheet->height() < frame)\n        sheet->resize(sheet->width(), frame);\n", "")],
      "a short text's sheet leaves the frame's lower part unpainted")
fault("scroll-direction", "app/Form1_Text.cpp",
      [("wdHomeTop - value);", "wdHomeTop + value);")],
      "scrolling moves the text the wrong way")
fault("scroll-into-view-short", "app/Form1_Text.cpp",
      [("    if (t + 56 > frame) {\n        const int d = t + 56 - frame;", "    if (t + 28 > frame) {\n        const int d = t + 28 - frame;")],
      "the current position scrolled in only half way (its echo below the frame)")
fault("scroll-up-margin", "app/Form1_Text.cpp",
      [("bar->value() - (-t) - 28)", "bar->value() - (-t))")],
      "scrolling back up leaves no room above the current position")
fault("menu-one-short", "app/Form1_Text.cpp",
      [("    for (int i = 2; i <= n; ++i) {", "    for (int i = 2; i < n; ++i) {")],
      "each lesson menu misses its last item")
fault("lesson-clock-runs", "app/Form1_Text.cpp",
      [("    f->Timer1->stop();\n    TokenTable table;", "    TokenTable table;")],
      "choosing a lesson does not stop the clock")
fault("lesson-title", "app/Form1_Text.cpp",
      [("AppInfo::title() + QLatin1Char('_') + item->text()", "AppInfo::title() + item->text()")],
      "the window title without the separator")
fault("doc-menu-wrong-texts", "app/Form1_Text.cpp",
      [("GetDocText(static_cast<qint16>(index)), Lessons::Menu::Doc",
        "GetClassDocText(static_cast<qint16>(index)), Lessons::Menu::Doc")],
      "the poem menu loads the prose pieces")
fault("file-title", "app/Form1_Text.cpp",
      [('titleWithName(QStringLiteral("__"), file.table', 'titleWithName(QStringLiteral("_"), file.table')],
      "a practice file's title with one separator")
fault("refused-file-title", "app/Form1_Text.cpp",
      [("    if (!LoadPracticeText(file.table, name, title))\n        return;",
        "    setWindowTitle(title);\n    if (!LoadPracticeText(file.table, name, title))\n        return;")],
      "a refused file's name left in the title")
fault("refusal-clears-run", "app/Form1_Text.cpp",
      [("    TextLayout layout;\n    const LayoutLimit limit", "    ClearRunDisplay();\n    TextLayout layout;\n    const LayoutLimit limit")],
      "a refused text clears the counters of the text shown")

# --- app/Form1_Keyboard.cpp: layouts, Shift hint, hands, hide/show ---------------
fault("layout-rest-not-updated", "app/Form1_Keyboard.cpp",
      [("        rest.set(k, r.left, r.top);\n", "")],
      "a moved key sinks from, and returns to, its old place")
fault("big-enter-colour", "app/Form1_Keyboard.cpp",
      [("    picKey->matchBigEnterToEnterKey();\n", "")],
      "the big Enter's upper part not in the Enter key's colour")
fault("hint-outside-run", "app/Form1_Keyboard.cpp",
      [("    if (!Timer1->isActive())\n        return;\n    const ShiftSide", "    const ShiftSide")],
      "the Shift hint lit outside a run")
fault("hint-sides-swapped", "app/Form1_Keyboard.cpp",
      [("picKey->setFill(2, side == ShiftSide::Left", "picKey->setFill(2, side == ShiftSide::Right"),
       ("picKey->setFill(3, side == ShiftSide::Right", "picKey->setFill(3, side == ShiftSide::Left")],
      "the Shift hint on the wrong side")
fault("hands-not-erased", "app/Form1_Keyboard.cpp",
      [("    tmrHand->stop();\n    picKey->clearHands();", "    tmrHand->stop();")],
      "the hands stay drawn after the demonstration stops")
fault("captions-stay", "app/Form1_Keyboard.cpp",
      [("    picKey->clearHands();\n    picKey->setHomeCaptionsVisible(false);", "    picKey->clearHands();")],
      "the home-key captions stay after the demonstration stops")
fault("captions-never-go", "app/Form1_Keyboard.cpp",
      [("    if (f.hideCaptions)\n        picKey->setHomeCaptionsVisible(false);\n", "")],
      "the home-key captions never go")
fault("hide-keeps-hands", "app/Form1_Keyboard.cpp",
      [("        if (tmrHand->isActive())\n            StopHandDemo();\n        picKey->hide();", "        picKey->hide();")],
      "hiding the keyboard leaves the demonstration running")
fault("hide-scrolls-to-top", "app/Form1_Keyboard.cpp",
      [("    SetScrollRange(false);", "    SetScrollRange(true);")],
      "hiding or showing the keyboard scrolls the text to the top", "escaped-7")
fault("show-loses-position", "app/Form1_Keyboard.cpp",
      [("        picWindow->VScroll1->setFocus();\n    ScrollToPos(curPos);", "        picWindow->VScroll1->setFocus();")],
      "showing the keyboard leaves the current position out of view")
fault("hidden-frame-short", "app/Form1_Keyboard.cpp",
      [("picWindow->resize(picWindow->width(), TextWindow::kTallHeight);", "picWindow->resize(picWindow->width(), 260);")],
      "the text window does not take the keyboard's room")

# --- app/KeyCodes.cpp, app/CapsLock.cpp: the X11 key paths -----------------------
fault("x11-semicolon-code", "app/KeyCodes.cpp",
      [("/* 47 ; */ 186", "/* 47 ; */ 222")],
      "the ; key stays sunk after every press (X keycode table)", "escaped-6")
fault("x11-comma-code", "app/KeyCodes.cpp",
      [("/* 59 , */ 188", "/* 59 , */ 190")],
      "the , key stays sunk after every press (X keycode table)")
fault("qt-colon-code", "app/KeyCodes.cpp",
      [("case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;", "case Qt::Key_Semicolon: return 186;")],
      "the ; key stays sunk when released with Shift held")
fault("x11-caps-inverted", "app/CapsLock.cpp",
      [("(event->nativeModifiers() & LockMask) == 0", "(event->nativeModifiers() & LockMask) != 0")],
      "Caps Lock's state predicted inverted after its press (wrong Shift hint)", "escaped-6")
fault("x11-caps-not-predicted", "app/CapsLock.cpp",
      [("    if (g_afterPress)\n        return *g_afterPress;\n", "")],
      "Caps Lock turned off still reads as on until its release")
fault("caps-not-tracked", "app/CapsLock.cpp",
      [("        g_tracked = !g_tracked;", "        ;")],
      "Caps Lock's state never changes where the platform has no query")

# --- app/Shapes.cpp, app/FrmOpen.cpp, app/FrmSplash.h ---------------------------
fault("meter-unclipped", "app/Shapes.cpp",
      [("    p.setClipRect(inner);\n", "")],
      "a meter bar painting over its box", "escaped-7")
fault("meter-scale", "app/Shapes.cpp",
      [("                     m_width / double(kTwipsPerPixel)", "                     m_width / 10.0")],
      "the bars drawn half as long again")
fault("lamp-not-repainted", "app/Shapes.cpp",
      [("    m_back = c;\n    update();", "    m_back = c;")],
      "the Caps Lock lamp keeps its old colour on the screen")
fault("open-blank-name", "app/FrmOpen.cpp",
      [("OKButton->setEnabled(!text.trimmed().isEmpty());", "OKButton->setEnabled(!text.isEmpty());")],
      "the open dialog's OK usable with blanks for a name")
fault("open-case-order", "app/FrmOpen.cpp",
      [("QDir::Files | QDir::Readable,\n                                                    QDir::Name | QDir::IgnoreCase);",
        "QDir::Files | QDir::Readable,\n                                                    QDir::Name);")],
      "the file list sorted with capitals first")
fault("about-position", "app/FrmSplash.h",
      [("return {mainLeft + mainWidth / 4, mainTop + mainHeight / 4};", "return {mainLeft + mainWidth / 4, mainTop + mainHeight / 3};")],
      "the About box placed too low")

# --- practice/: layout, text sheet, catalogue, lessons, files, Big5 -------------
fault("wrap-keeps-punctuation-columns", "practice/TextLayout.cpp",
      [("            j = 0;\n            extra = 0;", "            j = 0;")],
      "symbols drift right of their characters after a line wrap", "escaped-2")
fault("wrap-at-forty", "practice/TextLayout.cpp",
      [("if (cols > kLineColumns) {", "if (cols >= kLineColumns) {")],
      "a token that fills the line exactly moves to the next")
fault("wrap-keeps-symbols", "practice/TextLayout.cpp",
      [("            ++line;\n            j = 0;", "            ++line;")],
      "symbols continue their old column count on a new line")
fault("wrap-start-column", "practice/TextLayout.cpp",
      [("            cols -= start;\n", "")],
      "the line after a wrap fills up too early")
fault("neutral-tone-space", "practice/TextLayout.cpp",
      [("    case u'˙': case u'ˊ':", "    case u'ˊ':")],
      "a neutral-tone syllable also asks for the first-tone space")
fault("punctuation-one-column", "practice/TextLayout.cpp",
      [("        } else if (LenMbcs(reading) == 0) {\n            cols += 2;", "        } else if (LenMbcs(reading) == 0) {\n            cols += 1;")],
      "full-width punctuation one column wide: characters overlap")
fault("underscore-two-columns", "practice/TextLayout.cpp",
      [("extra += single ? 1 : 2;", "extra += 2;")],
      "a single-byte mark without a reading pushes the symbols two columns")
fault("symbol-top", "practice/TextLayout.cpp",
      [("cell.top = g.titleTop + kLineHeight * line + 1;", "cell.top = g.titleTop + kLineHeight * line;")],
      "the symbol cells one pixel too high")
fault("word-width-swapped", "practice/TextLayout.cpp",
      [("word.width = single ? g.titleWidth : g.wordWidth;", "word.width = single ? g.wordWidth : g.titleWidth;")],
      "character cells of the wrong width")
fault("sheet-height-short", "practice/TextLayout.cpp",
      [("const qint32 echoBottom = kEchoOffset + 56;", "const qint32 echoBottom = kEchoOffset + 28;")],
      "the last line's echoes cannot be scrolled into view")
fault("sheet-height-last-marks", "practice/TextLayout.cpp",
      [("    if (lastLine > lastPositionLine)\n", "    if (false)\n")],
      "marks wrapped after the last symbol lie below the sheet")
fault("crlf-two-line-ends", "practice/TextLines.h",
      [("m_text[m_at + 1] == u'\\n') ? 2 : 1;", "m_text[m_at + 1] == u'\\n') ? 1 : 1;")],
      "CR LF read as two line ends: an empty line after every line")
fault("lone-cr-not-an-end", "practice/TextLines.h",
      [("while (end < n && m_text[end] != u'\\n' && m_text[end] != u'\\r')", "while (end < n && m_text[end] != u'\\n')")],
      "a lone CR kept inside the line")
fault("position-limit-off-by-one", "practice/TextLayout.cpp",
      [("if (out.positions.size() >= static_cast<std::size_t>(kMaxPositions))", "if (out.positions.size() > static_cast<std::size_t>(kMaxPositions))")],
      "one position more than a run can count")
fault("surrogate-split", "practice/TextLayout.cpp",
      [("&& text[i + 1].isLowSurrogate()) ? 2 : 1;", "&& text[i + 1].isLowSurrogate()) ? 1 : 1;")],
      "a character outside the BMP split into two positions")
fault("sheet-repaints-title-only", "practice/TextWindow.cpp",
      [("        update(r.adjusted(0, 0, 1, 0));", "        update(titleRect(k).adjusted(0, 0, 1, 0));")],
      "an echo cell not repainted when its text changes")
fault("count-digits-spaced", "view/CountLabel.cpp",
      [("        x += m_advance[d];", "        x += m_advance[d] + 1;")],
      "the right and wrong counts drawn with their digits a pixel apart")
fault("group-frame-gap", "view/AppStyle.cpp",
      [("constexpr int kTitleGap = 3;", "constexpr int kTitleGap = 2;")],
      "a titled frame's line a pixel higher than the platform style draws it")
fault("style-reads-frame-by-name", "view/AppStyle.cpp",
      [("if (element == PE_FrameGroupBox && box && !box->title().isEmpty() && isFusion()) {",
        "if (element == PE_FrameGroupBox && box && box->title().isEmpty() && isFusion()) {")],
      "the image plugins loaded at start to draw the options' frames")
fault("current-echo-painted-yellow", "practice/TextWindow.cpp",
      [("p.fillRect(echo, toQColor(c.echoBack));", "p.fillRect(echo, toQColor(Palette::Yellow));")],
      "the current position's echo not light red on the screen")
fault("echo-visibility-inverted", "practice/TextWindow.cpp",
      [("        if (c.echoVisible) {", "        if (!c.echoVisible) {")],
      "echo cells shown where nothing was typed")
fault("title-back-yellow", "practice/TextWindow.cpp",
      [("const QColor titleBack = toQColor(Palette::LightCyan);", "const QColor titleBack = toQColor(Palette::Yellow);")],
      "the symbols on yellow instead of light cyan")
fault("exposed-row-skipped", "practice/TextWindow.cpp",
      [("[height](const auto &cell, int yy) { return cell.top + height <= yy; });",
        "[height](const auto &cell, int yy) { return cell.top <= yy; });")],
      "a repaint skips the cells of the line it starts in")
fault("words-not-painted", "practice/TextWindow.cpp",
      [("        if (r.intersects(exposed) && !w.text.isEmpty())", "        if (r.intersects(exposed) && w.text.isEmpty())")],
      "the characters of the text not painted")
fault("zone-g-middle", "practice/KeyCatalogue.cpp",
      [('{  71, 3, u"", u"G", 21, LeftIndex,', '{  71, 3, u"", u"G", 21, Middle,')],
      "the G key in the middle finger's zone", "escaped-4")
fault("zone-7-left", "practice/KeyCatalogue.cpp",
      [('{  55, 1, u"＆", u"7", 4, RightIndex,', '{  55, 1, u"＆", u"7", 4, LeftIndex,')],
      "the 7 key in the left index finger's zone")
fault("zone-colour-ring", "practice/KeyCatalogue.cpp",
      [("    case Ring: return Palette::RingFinger;", "    case Ring: return Palette::MiddleFinger;")],
      "the ring fingers' keys yellow")
fault("zhuyin-ang-key", "practice/KeyCatalogue.cpp",
      [("{u'ㄤ', 59}", "{u'ㄤ', 39}")],
      "ㄤ expected on the apostrophe key")
fault("zhuyin-swap", "practice/KeyCatalogue.cpp",
      [("{u'ㄍ', 69}, {u'ㄎ', 68}", "{u'ㄍ', 68}, {u'ㄎ', 69}")],
      "ㄍ and ㄎ swapped")
fault("rest-order-missing", "practice/KeyCatalogue.cpp",
      [("    20, 13, 32, 96, 61, 59, 39,", "    20, 13, 32, 96, 61, 59,")],
      "the apostrophe key sinks from the keyboard's corner")
fault("symbol-lookup-prefix", "practice/KeyCatalogue.cpp",
      [("    if (symbol.size() != 1)\n        return 0;\n    for", "    if (symbol.isEmpty())\n        return 0;\n    for")],
      "a two-symbol string taken for its first symbol")
fault("rest-truncated", "practice/KeyCatalogue.cpp",
      [("    keyLeft[key] = static_cast<qint16>(qRound(left));", "    keyLeft[key] = static_cast<qint16>(left);")],
      "a moved key's rest place truncated")
fault("split-drops-empty-tokens", "practice/Lessons.cpp",
      [("        if (token.isEmpty())\n            table.append(QString(), QString());\n        else\n            table.append",
        "        if (!token.isEmpty())\n            table.append")],
      "paragraph breaks (runs of blanks) vanish from the lessons")
fault("lesson-parts-joined-with-blank", "practice/Lessons.cpp",
      [("return it ? it->parts.join(QString()) : QString();", "return it ? it->parts.join(QLatin1Char(' ')) : QString();")],
      "a lesson's parts joined with an extra blank")
fault("file-line-limit", "practice/PracticeFile.cpp",
      [("table.size() >= kMaxPracticeTokens ?", "table.size() > kMaxPracticeTokens ?")],
      "a file of 5001 lines accepted")
fault("file-name-slash", "practice/PracticeFile.cpp",
      [("    return path.mid(cut + 1);", "    return path.mid(cut);")],
      "the file name shown with its slash")
fault("big5-no-best-fit", "practice/Big5.cpp",
      [("    ucnv_setFallback(conv.get(), true);", "    ucnv_setFallback(conv.get(), false);")],
      "accented letters no longer single-byte")

fault("reading-out-of-context", "assets/texts/lessons.txt",
      [("生ㄕㄥ 長ㄔㄤˊ 恨", "生ㄕㄥ 長ㄓㄤˇ 恨")],
      "長 read ㄓㄤˇ in 人生長恨: a reading of 長, but not the one this line needs", "escaped-5")

# --- run/: judging, key map, meters, report ----------------------------------------
fault("backspace-wrong", "run/PracticeRun.cpp",
      [("typedKey == kInterrupt || typedKey == 8)", "typedKey == kInterrupt)")],
      "Backspace counted as a wrong keystroke")
fault("zhuyin-mode-inverted", "run/PracticeRun.cpp",
      [("    if (!charMode && typedKey != kInterrupt)\n        typedKey = b;", "    if (charMode && typedKey != kInterrupt)\n        typedKey = b;")],
      "Zhuyin keys judged as characters and characters as keys")
fault("space-echo-missing", "run/PracticeRun.cpp",
      [("if (typedKey >= 32 && typedKey != 127)", "if (typedKey > 32 && typedKey != 127)")],
      "the first-tone space not echoed")
fault("expected-key-zero", "run/PracticeRun.cpp",
      [("        m_key = KeyOfSymbol(c);\n        expectedKey = m_key;", "        m_key = KeyOfSymbol(c);\n        expectedKey = 0;")],
      "every Zhuyin position accepted without a keystroke")
fault("restart-keeps-wrong", "run/PracticeRun.cpp",
      [("    rightCount = 0;\n    wrongCount = 0;\n    elapsedSeconds = 0;", "    rightCount = 0;\n    elapsedSeconds = 0;")],
      "a new run counts on from the last run's wrong keys")
fault("wrong-outside-run", "run/PracticeRun.cpp",
      [("if (!m_inProgress || typedKey == kInterrupt", "if (typedKey == kInterrupt")],
      "keys typed between runs counted wrong")
fault("last-position-not-ending", "run/PracticeRun.cpp",
      [("        if (curPos >= posCount) {", "        if (curPos > posCount) {")],
      "the run does not end at its last position")
fault("right-hand-letters", "run/KeyMap.cpp",
      [("return (upper >= u'H' && upper <= u'P')", "return (upper >= u'G' && upper <= u'P')")],
      "G taken for a right-hand letter: the wrong Shift lit")
fault("underscore-key", "run/KeyMap.cpp",
      [("    case '_': return 45;", "    case '_': return 61;")],
      "_ marked on the = key")
fault("caret-shift-side", "run/KeyMap.cpp",
      [("    case '~': case '!': case '@': case '#': case '$': case '%':\n        return ShiftSide::Right;\n    case '^': case '&':",
        "    case '~': case '!': case '@': case '#': case '$': case '%': case '^':\n        return ShiftSide::Right;\n    case '&':")],
      "^ lights the right Shift")
fault("keyup-semicolon", "run/KeyMap.cpp",
      [("    case 186: return 59;", "    case 186: return 39;")],
      "the ; key stays sunk after its release")
fault("clock-minutes", "run/Meters.cpp",
      [(".arg(elapsedSeconds / 60 % 60)", ".arg(elapsedSeconds / 60)")],
      "the clock's minutes run past 59")
fault("speed-bar-rounded", "run/Meters.cpp",
      [("std::trunc(double(product) / elapsedSeconds / speedClass)", "std::round(double(product) / elapsedSeconds / speedClass)")],
      "the speed bar rounded instead of truncated")
fault("progress-integer-first", "run/Meters.cpp",
      [("static_cast<qint64>(rightCount) * kFullBar / posCount", "rightCount / posCount * kFullBar")],
      "the progress bar stays empty until the end")
fault("clock-hours-parsed", "run/Meters.cpp",
      [("return parts[0] * 3600 + parts[1] * 60 + parts[2];", "return parts[0] * 60 + parts[1] * 60 + parts[2];")],
      "the speed wrong after an hour")
fault("report-no-rounding", "run/RunReport.cpp",
      [("    const double r = std::round(v * 100.0) / 100.0;\n    return QString::number(r, 'f', 2);",
        "    return QString::number(v, 'f', 2);")],
      "the report's figures lose their rounding (0.07 for 3 keys in 40 s)", "escaped-8")
fault("report-21-seconds", "run/RunReport.cpp",
      [("(typedKey == 27 ? 21 : 1)", "(typedKey == 27 ? 22 : 1)")],
      "an interruption at 21 s reports no figures")
fault("report-percent-scale", "run/RunReport.cpp",
      [("return twoDecimals(share * 100.0) + QLatin1Char('%');", "return twoDecimals(share) + QLatin1Char('%');")],
      "the accuracy shown as a fraction")
fault("report-completed-within-second", "run/RunReport.cpp",
      [("(typedKey == 27 ? 21 : 1)", "(typedKey == 27 ? 21 : 0)")],
      "a run completed within the first second divides by zero")

# --- keyboard/: picture, view, hands ----------------------------------------------------
fault("home-bar-on-g", "keyboard/KeyboardPicture.cpp",
      [('rect(Shape3_1, u"Shape3(1)", Rect, 14, 240, 128', 'rect(Shape3_1, u"Shape3(1)", Rect, 14, 288, 128')],
      "the home-key bar on G instead of F", "escaped-7")
fault("legend-colour-u", "keyboard/KeyboardPicture.cpp",
      [('{ 79,  74, u"ㄨ", SymbolBlue,', '{ 79,  74, u"ㄨ", Symbol,')],
      "ㄨ drawn black instead of blue")
fault("backslash-over-shift", "keyboard/KeyboardPicture.cpp",
      [("{684, 144, 41, 41}}}},\n    {shadowRef(27)", "{676, 144, 41, 41}}}},\n    {shadowRef(27)")],
      "in \\ 鍵在下 the backslash key lies over right Shift")
fault("backspace-name-shown", "keyboard/KeyboardPicture.cpp",
      [("{legendRef(kBackspaceLegend), Property::Visible, {{kShown, kHidden, kShown}}}",
        "{legendRef(kBackspaceLegend), Property::Visible, {{kShown, kShown, kShown}}}")],
      "\"Backspace\" written over the short Backspace key")
fault("shadow-offset", "keyboard/KeyboardPicture.cpp",
      [("shadow.rect = toRect(k.rect).translated(4, 4);", "shadow.rect = toRect(k.rect).translated(4, 3);")],
      "the key shadows one pixel too high")
fault("legend-square-colour", "keyboard/KeyboardPicture.cpp",
      [("276, 244, 13, 13, Palette::LeftIndexFinger, 1),", "276, 244, 13, 13, Palette::RightIndexFinger, 1),")],
      "the finger legend shows the left index finger in the right one's colour")
fault("hidden-item-not-erased", "keyboard/KeyboardPicture.cpp",
      [("    if (before.visible)\n        damage << before.paintedBounds();\n", "")],
      "a hidden element stays on the screen")
fault("big-enter-fixed-colour", "keyboard/KeyboardPicture.cpp",
      [("const VbColor enterFill = keyTop(13)->fill;", "const VbColor enterFill = Palette::EnterShift;")],
      "the big Enter's upper part keeps its drawn colour")
fault("captions-missing-pointer", "keyboard/KeyboardPicture.cpp",
      [("constexpr Element kHomeCaptionParts[] = {lblBaseKey_0, lblBaseKey_1, linBaseKey_0, linBaseKey_1};",
        "constexpr Element kHomeCaptionParts[] = {lblBaseKey_0, lblBaseKey_1, linBaseKey_0};")],
      "the right pointer line of the home-key captions never shown")
fault("border-centred-on-edge", "keyboard/KeyboardView.cpp",
      [("const QRectF r = it.rect.adjusted(w / 2, w / 2, -w / 2, -w / 2);", "const QRectF r = it.rect;")],
      "thick borders reach outside the key top")
fault("change-not-rendered", "keyboard/KeyboardView.cpp",
      [("            continue;\n        markStale(area);\n    }", "            continue;\n    }")],
      "changes to the keyboard never drawn")
fault("hands-leave-trail", "keyboard/KeyboardView.cpp",
      [("            p.setCompositionMode(QPainter::CompositionMode_Source);\n            p.drawImage(QRectF(old), m_base, devicePixels(old));\n", "")],
      "the hands leave a trail as they move")
fault("hands-mask-order", "keyboard/KeyboardView.cpp",
      [("    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);\n    p.drawImage(at, mask);\n    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);",
        "    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);\n    p.drawImage(at, mask);\n    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);")],
      "the hands drawn with the mask and sprite steps swapped")
fault("hands-erased-off-screen", "keyboard/KeyboardView.cpp",
      [("    for (const QPoint &at : m_handAt)\n        update(QRect(at, m_handSize) & rect());", "")],
      "stopped hands stay on the screen until something repaints the keyboard")
fault("hands-arrive-late", "keyboard/HandDemo.cpp",
      [("    if (next <= kArrivedY)", "    if (next < kArrivedY)")],
      "the hands slide one frame too far")
fault("captions-early", "keyboard/HandDemo.cpp",
      [("f.showCaptions = next < kLastFrameY;", "f.showCaptions = next < kLastFrameY + 10;")],
      "the home-key captions shown one frame early")
fault("captions-at-three-seconds", "keyboard/HandDemo.cpp",
      [("nowMs - handDemoStart > kCaptionMs", "nowMs - handDemoStart >= kCaptionMs")],
      "the captions go at three seconds, not after")
fault("hands-restart-arrived", "keyboard/HandDemo.cpp",
      [("    leftHandX = kLeftX;\n    handY = kStartY;", "    leftHandX = kLeftX;")],
      "a second demonstration starts with the hands already arrived")
fault("hands-step", "keyboard/HandDemo.h",
      [("static constexpr qint16 kStep = 10;", "static constexpr qint16 kStep = 9;")],
      "the hands stop short of the home row")


# --- record/, annotate/, article/: the learner's record and articles ---------------
fault("median-even-upper", "record/RunRecorder.cpp",
      [("    return static_cast<qint32>((qint64(lower) + upper) / 2);", "    return upper;")],
      "a key's median time of an even count of times taken as the upper one")
fault("confusion-pairs-merged", "record/RunRecorder.cpp",
      [("if (c.expected == expectedKey && c.typed == typedKey) {", "if (c.expected == expectedKey) {")],
      "every wrong key while one is expected counted as the first confusion")
fault("positions-typed-per-key", "record/RunRecorder.cpp",
      [("        m_lastTypedPos = pos;\n        ++m_posTyped;", "        ++m_posTyped;")],
      "positions typed counted per keystroke")
fault("expected-not-counted", "record/RunRecorder.cpp",
      [("        ++stat(key).expected;", "        (void)stat(key);")],
      "how often a key was expected never counted")
fault("short-runs-unrecorded", "record/RunRecorder.cpp",
      [("if (outcome.posCount < 1 || !sink)", "if (outcome.posCount < 1 || outcome.elapsedSeconds < 1 || !sink)")],
      "runs shorter than a second left out of the record")
fault("key-time-from-run-start", "record/RunRecorder.cpp",
      [("        return;\n    m_posBegunMs = nowMs;\n    if (key > 0", "        return;\n    if (key > 0")],
      "a key's time counted from the run's start instead of its position's")
fault("weakest-strongest-first", "record/RecordedRun.cpp",
      [("return a.errorRate > b.errorRate;", "return a.errorRate < b.errorRate;")],
      "the strongest keys listed as the weakest")
fault("hash-ignores-readings", "record/RecordedRun.cpp",
      [("        h.addData(table.readings.value(i).toUtf8());\n", "")],
      "a file with other readings recorded as the same text")
fault("speed-class-captions-swapped", "record/RecordedRun.cpp",
      [('{u"初學", u"入門", u"一般", u"飆速"}', '{u"入門", u"初學", u"一般", u"飆速"}')],
      "the record names the speed classes wrongly")
fault("drill-label-bare", "record/RecordedRun.cpp",
      [('return QStringLiteral("弱鍵練習") + caption;', "return caption;")],
      "a drill's runs listed by their keys alone")
fault("drill-wrong-not-counted", "record/WeakKeyDrill.cpp",
      [("d.keystrokes += t.right + t.wrong;", "d.keystrokes += t.right;")],
      "wrong keystrokes not counted towards the drill's minimum")
fault("drill-no-space-bar", "record/WeakKeyDrill.cpp",
      [("                if (!isToneMark(reading.back()))\n                    c.keys.push_back(32);\n", "")],
      "the space bar (first tone) never drilled")
fault("drill-third-key-dropped", "record/WeakKeyDrill.cpp",
      [("{14, 9, 5}", "{14, 14, 0}")],
      "the third weakest key left out of the drill")
fault("csv-quotes-not-doubled", "record/RecordStore.cpp",
      [('    q.replace(QLatin1String("\\""), QLatin1String("\\"\\""));\n', "")],
      "a quote in a file name breaks the exported CSV")
fault("csv-comma-unquoted", "record/RecordStore.cpp",
      [("if (!s.contains(QLatin1Char(',')) && !s.contains", "if (!s.contains")],
      "a comma in a file name splits the exported CSV's column")
fault("confusions-least-first", "record/RecordStore.cpp",
      [('"ORDER BY count DESC, expected_key, typed_key LIMIT ?"', '"ORDER BY count, expected_key, typed_key LIMIT ?"')],
      "the rarest confusions listed as the most frequent")
fault("csv-oldest-last", "record/RecordStore.cpp",
      [("for (auto it = all.rbegin(); it != all.rend(); ++it) {", "for (auto it = all.begin(); it != all.end(); ++it) {")],
      "the exported runs newest first")
fault("clear-keeps-key-totals", "record/RecordStore.cpp",
      [('"texts", "key_totals", "key_times",', '"texts", "key_times",')],
      "clearing the record keeps the keys' error rates")
fault("sandhi-yi-kept", "annotate/Annotator.cpp",
      [("    if (c == kYi && (p & ~7) == (kYiPhone & ~7))\n        return kYiPhone;\n", "")],
      "一 annotated with the spoken tone change of a phrase")
fault("wide-first-tone-no-blank", "annotate/Annotator.cpp",
      [("                reading.append(QLatin1Char(' '));", "                ;")],
      "a character outside the code page loses its first tone's space")
fault("phrase-doubt-dropped", "annotate/Annotator.cpp",
      [("            cells[begin + i + k].uncertain = c.uncertain >> k & 1;", "            cells[begin + i + k].uncertain = false;")],
      "readings the phrase table disagrees on not marked for review")
fault("next-uncertain-skips-neighbour", "article/ArticleDocument.cpp",
      [("    for (qsizetype i = t + step; i >= 0 && i < tokenCount(); i += step) {\n        if (isUncertain(i))",
        "    for (qsizetype i = t + 2 * step; i >= 0 && i < tokenCount(); i += step) {\n        if (isUncertain(i))")],
      "Tab skips a reading to check right after the current one")
fault("punctuation-reviewable", "article/ArticleDocument.cpp",
      [("           && m_annotation.at(m_origins[t]).kind == annotate::Item::Kind::Han;", "           ;")],
      "punctuation offered for review")

# --- running ---------------------------------------------------------------------

def run(cmd, cwd=None, timeout=None, env=None):
    return subprocess.run(cmd, cwd=cwd, timeout=timeout, env=env, capture_output=True, text=True)


def sync_sources(work):
    """Copies the tracked and new files of the working tree into work/src,
    rewriting only those that differ (so the build there stays incremental)."""
    src = os.path.join(work, "src")
    files = run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT).stdout.split("\n")
    for rel in filter(None, files):
        a = os.path.join(ROOT, rel)
        if not os.path.isfile(a):
            continue
        b = os.path.join(src, rel)
        with open(a, "rb") as f:
            data = f.read()
        if os.path.exists(b):
            with open(b, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(b), exist_ok=True)
        shutil.copyfile(a, b)  # a new time stamp: the build sees the change
        shutil.copymode(a, b)
    return src


def test_targets(build, label):
    """The programs the chosen tests run, as build targets: a test is named
    after its program, or after it with a suffix (tst_keyboardview_2x)."""
    out = run(["ctest", "--show-only=json-v1"] + (["-L", label] if label else []), cwd=build).stdout
    help_text = run(["cmake", "--build", build, "--target", "help"]).stdout
    known = set(re.findall(r"^(\w+): ", help_text, re.M))
    targets = set()
    for t in json.loads(out)["tests"]:
        name = t["name"]
        for candidate in (name, name.rsplit("_", 1)[0]):
            if candidate in known:
                targets.add(candidate)
                break
    return sorted(targets)


def build(build_dir, targets, timeout):
    try:
        r = run(["cmake", "--build", build_dir, "-j2", "--target", *targets], timeout=timeout)
    except subprocess.TimeoutExpired:
        return False, "build timed out"
    return r.returncode == 0, r.stdout[-3000:] + r.stderr[-2000:]


def run_tests(build_dir, label, per_test, stop):
    cmd = ["ctest", "-j2", "--timeout", str(per_test)]
    if label:
        cmd += ["-L", label]
    if stop:
        cmd.append("--stop-on-failure")
    started = time.monotonic()
    r = run(cmd, cwd=build_dir, timeout=per_test * 30)
    failed = re.findall(r"^\s*\d+ - (\S+) \(", r.stdout, re.M)
    if r.returncode != 0 and not failed:
        failed = ["(ctest)"]
    return failed, time.monotonic() - started


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--work", default=os.path.join(ROOT, "build-faults"), help="work folder (source copy and build)")
    ap.add_argument("--only", nargs="*", help="fault ids or tags (escaped-1 …) to plant")
    ap.add_argument("--list", action="store_true", help="list the faults and check that each applies")
    ap.add_argument("--suite", choices=["unit-widget", "all"], default="unit-widget",
                    help="the tests to run: unit and widget tests (default) or all, e2e included")
    ap.add_argument("--every-test", action="store_true", help="run every test instead of stopping at the first failure")
    ap.add_argument("--timeout", type=int, default=240, help="seconds per test before it counts as failed")
    ap.add_argument("--resume", action="store_true",
                    help="skip the faults the last run's results already judge (after an interruption)")
    args = ap.parse_args()

    faults = F
    if args.only:
        faults = [f for f in F if f["id"] in args.only or f["tag"] in args.only]
    stale = []
    for f in faults:
        with open(os.path.join(ROOT, f["file"]), encoding="utf-8") as fh:
            text = fh.read()
        for old, _ in f["edits"]:
            if text.count(old) != 1:
                stale.append(f"{f['id']}: {f['file']} holds the text {text.count(old)} times")
    if args.list:
        for f in faults:
            print(f"{f['id']:34} {f['file']:28} {f['tag'] or '':8} {f['what']}")
        print(f"{len(faults)} faults in {len({f['file'] for f in faults})} files")
        for s in stale:
            print("STALE", s)
        return 1 if stale else 0
    if stale:
        sys.exit("faults that no longer apply:\n  " + "\n  ".join(stale))

    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    src = sync_sources(work)
    build_dir = os.path.join(work, "build")
    os.environ.setdefault("CCACHE_BASEDIR", work)
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        # No debug information and lld: most of a plant's time is relinking
        # every test program against the changed library.
        linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
        r = run(["cmake", "-S", src, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                 "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] + linker)
        if r.returncode != 0:
            sys.exit(r.stdout + r.stderr)
    else:
        # Configure again, so that tests added since the last plant are known
        # as targets before they are chosen.
        r = run(["cmake", build_dir])
        if r.returncode != 0:
            sys.exit(r.stdout + r.stderr)
    label = "unit|widget" if args.suite == "unit-widget" else None
    # The whole suite needs everything (the program, the package); the unit
    # and widget tests only their own programs.
    targets = test_targets(build_dir, label) if label else ["all"]

    print(f"baseline: building {len(targets)} targets and running the tests ...", flush=True)
    ok, log = build(build_dir, targets, 7200)
    if not ok:
        sys.exit("the unchanged code does not build:\n" + log)
    failed, seconds = run_tests(build_dir, label, args.timeout, False)
    if failed:
        sys.exit(f"the unchanged code fails {', '.join(failed)}: fix that first")
    print(f"baseline passes ({seconds:.0f} s of tests)", flush=True)

    results_path = os.path.join(work, "results.json")
    done = {}
    if args.resume and os.path.exists(results_path):
        with open(results_path, encoding="utf-8") as fh:
            done = {r["id"]: r for r in json.load(fh)}
    results = []
    for n, f in enumerate(faults, 1):
        if f["id"] in done:
            results.append(done[f["id"]])
            continue
        path = os.path.join(src, f["file"])
        with open(path, encoding="utf-8") as fh:
            original = fh.read()
        planted = original
        for old, new in f["edits"]:
            planted = planted.replace(old, new)
        started = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8") as fh:
                fh.write(planted)
            ok, log = build(build_dir, targets, 1800)
            if ok:
                failed, _ = run_tests(build_dir, label, args.timeout, not args.every_test)
                status = "killed" if failed else "SURVIVED"
            else:
                failed, status = [], "does-not-build"
        finally:
            with open(path, "w", encoding="utf-8") as fh:
                fh.write(original)
        took = time.monotonic() - started
        results.append({**{k: f[k] for k in ("id", "file", "what", "tag")}, "status": status, "by": failed})
        by = ", ".join(failed) if failed else ""
        print(f"[{n}/{len(faults)}] {status:8} {f['id']:34} {took:5.0f} s  {by}", flush=True)
        if status == "does-not-build":
            print("    " + log.strip().split("\n")[-1][:300])
        with open(results_path, "w", encoding="utf-8") as fh:
            json.dump(results, fh, ensure_ascii=False, indent=1)

    # Leave the build as the working tree has it.
    build(build_dir, targets, 7200)
    judged = [r for r in results if r["status"] in ("killed", "SURVIVED")]
    killed = [r for r in judged if r["status"] == "killed"]
    survivors = [r for r in judged if r["status"] == "SURVIVED"]
    print()
    for r in survivors:
        print(f"survived: {r['id']} ({r['file']}): {r['what']}")
    if judged:
        print(f"\n{len(killed)} of {len(judged)} faults killed ({100 * len(killed) / len(judged):.1f} %), "
              f"{len(survivors)} survived, {len(results) - len(judged)} did not build; "
              f"tests: {args.suite}; results in {os.path.relpath(results_path, ROOT)}")
    return 0 if not survivors else 1


if __name__ == "__main__":
    sys.exit(main())
