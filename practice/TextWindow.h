#pragma once
// The text window: the frame picWindow, its scroll bar VScroll1 and the sheet
// picWd that moves inside the frame to scroll. The sheet paints the laid-out
// cells that are exposed and nothing else; while the learner types, the lines
// in view and the next are kept as pictures, which a scroll copies.

#include <QFrame>
#include <QScrollBar>
#include <QHash>
#include <QImage>
#include <QRegion>
#include <array>
#include <utility>
#include <vector>

#include "view/LaidOutText.h"

#include "practice/TextLayout.h"

class QTimer;

// The sheet that holds the laid-out text; it moves, its cells never do.
class TextSheet : public QWidget {
    Q_OBJECT
public:
    explicit TextSheet(QWidget *parent = nullptr);

    // The layout to paint; the sheet keeps a pointer, not a copy.
    void setTextLayout(const TextLayout *layout);
    const TextLayout *textLayout() const { return m_layout; }

    // Repaints position k's echo cell (1-based): the echo's text, its
    // ground and whether it shows change nothing else.
    void updateEcho(int k);

    // Rectangles of the cells of position k (1-based) and of token n.
    QRect titleRect(int k) const;
    QRect echoRect(int k) const;
    QRect wordRect(int n) const;

    // Whether lines below the view are still to be prepared.
    bool preparing() const;

    // Repaints the whole sheet after cells were changed in place other than
    // through updateEcho.
    void cellsChanged();

    // How many lines are kept as pictures, for tests.
    int keptLines() const { return int(m_lines.size()); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The sheet shows nothing of the keyboard focus: taking or losing it
    // (the window raised, another window raised over it) repaints nothing.
    void focusInEvent(QFocusEvent *) override {}
    void focusOutEvent(QFocusEvent *) override {}

private:
    void paintCells(QPainter &p, const QRect &exposed);
    const LaidOutText &laidOutSymbol(const QString &symbol);
    const LaidOutText &laidOutWord(const QString &word);
    void useDensity();
    // The lines below those that show, drawn off the screen one at a time
    // once the screen has been quiet for a moment: their glyphs are rendered
    // and their words laid out before a keystroke scrolls them into view,
    // and the work is done while the learner reads, not on the keystroke
    // that scrolls.
    void prepareAhead();

    // A line of the sheet kept as a picture, so that a keystroke that
    // scrolls the text copies the lines it brings into view. Kept once the
    // learner types (echoes change), for the lines in view and the next.
    struct KeptLine {
        int line = -1;
        QImage picture;
        QRegion stale; // sheet rows of it changed since it was drawn
    };
    QRect lineRect(int line) const;
    // The lines the view shows, first and last, and one more below.
    std::pair<int, int> linesWanted() const;
    // Brings one wanted line's picture up to date, or draws one not yet
    // kept; false when all are kept and up to date.
    bool keepNextLine();
    void drawStale(KeptLine &kept);
    void dropKeptLines();

    const TextLayout *m_layout = nullptr;
    QFont m_wordFont;
    QFont m_symbolFont;
    QHash<QString, LaidOutText> m_words;   // the text's characters, laid out
    QHash<QString, LaidOutText> m_symbols; // symbols and echoes, laid out
    // Those one character long: Zhuyin symbols, tone marks and ASCII.
    std::array<LaidOutText, 0x30> m_zhuyin{};
    std::array<LaidOutText, 0x20> m_tones{};
    std::array<LaidOutText, 0x80> m_ascii{};
    int m_symbolDpi = 0;
    bool m_prepareWanted = false;
    int m_preparedTo = 0; // rows above this sheet row have been drawn
    QTimer *m_prepareTimer = nullptr;
    std::vector<KeptLine> m_lines;
    bool m_keepLines = false; // echoes have changed since the text was set
};

// The text window's scroll bar. While no pointer is over it and no button
// is held, its look depends only on its state, and it keeps the looks it has
// drawn: the one for the next line, drawn while the window is quiet, is
// copied to the screen on the keystroke that scrolls.
class TextScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit TextScrollBar(QWidget *parent = nullptr);

    // How many looks are kept, for tests.
    int keptLooks() const { return int(m_looks.size()); }

    // The value the bar will take next, when the learner reaches the next
    // line: its look is drawn while the window is quiet. Without one, the
    // next look drawn is a line's height further on.
    void expectValue(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The bar's drawing options at value, as QScrollBar draws it with no
    // part hovered or pressed; false while the pointer is involved.
    bool plainOption(QStyleOptionSlider &option, int value) const;
    QByteArray lookKey(const QStyleOptionSlider &option) const;
    // The look for these options, kept or drawn now.
    const QImage &look(const QStyleOptionSlider &option);
    void prepareNext();

    QHash<QByteArray, QImage> m_looks;
    QTimer *m_prepareTimer = nullptr;
    int m_expected = -1;
};

class TextWindow : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 777;
    static constexpr int kHeight = 130;     // with the keyboard shown
    static constexpr int kTallHeight = 390; // with the keyboard hidden
    static constexpr int kBorder = 2;

    explicit TextWindow(QWidget *parent = nullptr);

    // The sheet's position inside the frame's client area (picWd.Left/Top).
    QPoint sheetPos() const;
    void moveSheet(int left, int top);

    TextScrollBar *VScroll1 = nullptr;
    TextSheet *picWd = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_client = nullptr; // the area inside the border
    QWidget *m_view = nullptr;   // the part of it the sheet shows in, left of the scroll bar
};
