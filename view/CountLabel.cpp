#include "view/CountLabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>

namespace {

// Every ordered pair of digits once: each digit followed by each digit.
QString everyDigitPair()
{
    QString s;
    for (int a = 0; a < 10; ++a) {
        for (int b = a; b < 10; ++b) {
            s += QChar(u'0' + a);
            s += QChar(u'0' + b);
            if (b != a) {
                s += QChar(u'0' + b);
                s += QChar(u'0' + a);
            }
        }
    }
    return s;
}

bool isNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

void CountLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_dpi = 0;
    QLabel::changeEvent(event);
}

bool CountLabel::digitsUsable()
{
    if (m_dpi == logicalDpiY())
        return m_usable;
    m_dpi = logicalDpiY();
    m_usable = false;
    // Laid out the way QPainter::drawText lays out a line at the top left
    // of its rectangle; the glyphs and their places are then read back.
    const QString pairs = everyDigitPair();
    QTextLayout layout(pairs, QFont(font(), this), this);
    QTextOption option;
    option.setAlignment(Qt::AlignLeft);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(qreal(0x01000000));
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    const QList<QGlyphRun> runs = line.glyphRuns();
    if (runs.size() != 1)
        return false; // some digit comes from another font
    const QGlyphRun &run = runs.front();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> at = run.positions();
    if (glyphs.size() != pairs.size() || at.size() != pairs.size() || at.front().x() != 0)
        return false;
    std::array<bool, 10> seen{};
    for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
        const int d = pairs[i].unicode() - u'0';
        const qreal advance = at[i + 1].x() - at[i].x();
        if (!seen[d]) {
            seen[d] = true;
            m_glyph[d] = glyphs[i];
            m_advance[d] = advance;
        }
        // A digit whose glyph or advance depends on its neighbour is not
        // drawn from single glyphs.
        if (glyphs[i] != m_glyph[d] || advance != m_advance[d] || at[i].y() != at.front().y())
            return false;
    }
    m_baseline = at.front().y();
    m_run = QGlyphRun();
    m_run.setRawFont(run.rawFont());
    m_usable = true;
    return true;
}

bool CountLabel::drawsAsQLabel() const
{
    // The styles draw an enabled label's plain text with the pen of its
    // text colour, at the top left of its contents.
    return !isEnabled() || !isNumber(text()) || textFormat() != Qt::PlainText || wordWrap()
           || alignment() != (Qt::AlignLeft | Qt::AlignTop) || layoutDirection() != Qt::LeftToRight
           || frameWidth() != 0 || margin() != 0 || indent() > 0 || contentsRect() != rect()
           || !pixmap().isNull();
}

void CountLabel::paintEvent(QPaintEvent *event)
{
    if (drawsAsQLabel()) {
        QLabel::paintEvent(event);
        return;
    }
    if (m_dpi != logicalDpiY()) {
        // The digits are shaped once the window is on the screen, before
        // the first keystroke; until then QLabel draws the number.
        QTimer::singleShot(0, this, &CountLabel::digitsUsable);
        QLabel::paintEvent(event);
        return;
    }
    if (!digitsUsable()) {
        QLabel::paintEvent(event);
        return;
    }
    const QString t = text();
    m_glyphs.resize(t.size());
    m_positions.resize(t.size());
    qreal x = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const int d = t[i].unicode() - u'0';
        m_glyphs[i] = m_glyph[d];
        m_positions[i] = QPointF(x, m_baseline);
        x += m_advance[d];
    }
    m_run.setGlyphIndexes(m_glyphs);
    m_run.setPositions(m_positions);
    QPainter p(this);
    p.setPen(QPen(palette().brush(foregroundRole()), 1));
    p.drawGlyphRun(QPointF(0, 0), m_run);
}
