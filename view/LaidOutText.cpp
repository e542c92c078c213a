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
    const bool wrap = flags & Qt::TextWordWrap;
    const bool dontClip = flags & Qt::TextDontClip;
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFont deviceFont(font, device);
    m_layout = std::make_shared<QTextLayout>(lines, deviceFont, const_cast<QPaintDevice *>(device));
    QTextOption option;
    option.setAlignment(Qt::AlignLeft);
    if (!wrap)
        option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);

    const qreal lineWidth = wrap ? qMax<qreal>(0, box.width()) : qreal(0x01000000);
    const qreal leading = QFontMetricsF(deviceFont).leading();
    qreal height = -leading;
    qreal width = 0;
    m_layout->beginLayout();
    for (;;) {
        QTextLine line = m_layout->createLine();
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
    m_layout->endLayout();

    const bool centred = flags & Qt::AlignHCenter;
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine line = m_layout->lineAt(i);
        m_lineAt.append(QPointF(centred ? (box.width() - line.horizontalAdvance()) / 2 : 0, 0));
    }
    const qreal left = centred ? (box.width() - width) / 2 : 0;
    m_clip = !dontClip && !QRectF(QPointF(), box).contains(QRectF(left, 0, width, height));
}

void LaidOutText::draw(QPainter &p, QPointF at) const
{
    if (!m_layout)
        return;
    if (m_clip) {
        p.save();
        p.setClipRect(QRectF(at, m_box), Qt::IntersectClip);
    }
    for (int i = 0; i < m_lineAt.size(); ++i)
        m_layout->lineAt(i).draw(&p, at + m_lineAt[i]);
    if (m_clip)
        p.restore();
}
