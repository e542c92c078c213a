#include "view/LaidOutText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

// The lines are broken, placed and aligned the way QPainter::drawText places
// them for these flags, so that the glyphs land on the same pixels.
LaidOutText::LaidOutText(const QString &text, const QFont &font, const QPaintDevice *device,
                         QSizeF box, int flags)
    : m_box(box)
{
    if (text.isEmpty())
        return;
    m_null = false;
    const bool wrap = flags & Qt::TextWordWrap;
    const bool dontClip = flags & Qt::TextDontClip;
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFont deviceFont(font, device);
    const auto layout = std::make_shared<QTextLayout>(lines, deviceFont, const_cast<QPaintDevice *>(device));
    QTextOption option;
    option.setAlignment(Qt::AlignLeft);
    if (!wrap)
        option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);

    const qreal lineWidth = wrap ? qMax<qreal>(0, box.width()) : qreal(0x01000000);
    const qreal leading = QFontMetricsF(deviceFont).leading();
    qreal height = -leading;
    qreal width = 0;
    layout->beginLayout();
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(lineWidth);
        height += leading;
        height = qCeil(height);
        line.setPosition(QPointF(0, height));
        height += line.height();
        width = qMax(width, line.naturalTextWidth());
        if (!dontClip && height >= box.height())
            break;
    }
    layout->endLayout();

    // Lines at whole pixels are kept as their glyphs, moved to their place
    // in the box, and drawn as they are. A line centred at a fraction of a
    // pixel is drawn by the layout: the painter places its glyphs from the
    // line's own position, which rounds differently at some densities.
    const bool centred = flags & Qt::AlignHCenter;
    bool keepLayout = false;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const qreal shift = centred ? (box.width() - line.horizontalAdvance()) / 2 : 0;
        if (shift != qRound(shift)) {
            m_lines.append({QPointF(shift, 0), i});
            keepLayout = true;
            continue;
        }
        for (QGlyphRun &run : line.glyphRuns()) {
            if (shift != 0) {
                QList<QPointF> positions = run.positions();
                for (QPointF &at : positions)
                    at.rx() += shift;
                run.setPositions(positions);
            }
            m_runs.append(run);
        }
    }
    if (keepLayout)
        m_layout = layout;
    const qreal left = centred ? (box.width() - width) / 2 : 0;
    m_clip = !dontClip && !QRectF(QPointF(), box).contains(QRectF(left, 0, width, height));
}

void LaidOutText::draw(QPainter &p, QPointF at) const
{
    if (m_null)
        return;
    if (m_clip) {
        p.save();
        p.setClipRect(QRectF(at, m_box), Qt::IntersectClip);
    }
    for (const QGlyphRun &run : m_runs)
        p.drawGlyphRun(at, run);
    for (const auto &[shift, index] : m_lines)
        m_layout->lineAt(index).draw(&p, at + shift);
    if (m_clip)
        p.restore();
}
