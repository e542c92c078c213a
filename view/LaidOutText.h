#pragma once
// A caption laid out once and drawn as QPainter::drawText(rect, flags, text)
// draws it: the same lines at the same places in the same pixels, without
// shaping the text again on every paint. Views that repaint the same few
// captions on every keystroke keep them laid out.
//
// Handles Qt::AlignLeft or Qt::AlignHCenter with Qt::AlignTop, and the flags
// Qt::TextWordWrap and Qt::TextDontClip.

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <memory>

class QPaintDevice;
class QPainter;
class QTextLayout;

class LaidOutText {
public:
    LaidOutText() = default;
    // Lays text out in a box of the given size for painting on device (its
    // resolution decides the font's pixel size).
    LaidOutText(const QString &text, const QFont &font, const QPaintDevice *device, QSizeF box, int flags);

    bool isNull() const { return m_null; }
    QSizeF box() const { return m_box; }

    // Draws the text in the box whose top left corner is at; the painter's
    // pen gives the colour. Whole-pixel moves of the box draw the same pixels
    // moved.
    void draw(QPainter &p, QPointF at) const;

private:
    // The glyphs as the layout placed them, each line moved to its place in
    // the box: drawn as they are, without going through the layout again.
    QList<QGlyphRun> m_runs;
    // Lines drawn by the layout: their shift in the box and their number.
    std::shared_ptr<QTextLayout> m_layout; // shared between copies, never changed once laid out
    QList<std::pair<QPointF, int>> m_lines;
    QSizeF m_box;
    bool m_null = true;
    bool m_clip = false; // the text reaches out of the box and is cut at its edges
};
