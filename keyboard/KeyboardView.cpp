#include "keyboard/KeyboardView.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <utility>

#include "app/Fonts.h"
#include "app/VbColor.h"

using namespace KeyboardArt;

namespace {

// The picture's fonts are measured at 96 dots per inch, as it was designed,
// whatever the desktop's font scaling; the pixel density is handled apart.
constexpr int kDotsPerMeter = 3780;

// Line ends fall on whole pixels; odd widths are centred on the pixel.
QLineF snapped(const QLineF &l, int width)
{
    const qreal c = (width % 2) ? 0.5 : 0.0;
    return QLineF(qRound(l.x1()) + c, qRound(l.y1()) + c, qRound(l.x2()) + c, qRound(l.y2()) + c);
}

void paintItem(QPainter &p, const Item &it, const QFont &font)
{
    switch (it.shape) {
    case Shape::RoundedRect:
    case Shape::Rect: {
        // Borders are drawn inside the shape, so a thick border never
        // reaches a neighbour.
        const qreal w = it.penWidth;
        const QRectF r = it.rect.adjusted(w / 2, w / 2, -w / 2, -w / 2);
        p.setPen(w > 0 ? QPen(toQColor(it.pen), w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin)
                       : QPen(Qt::NoPen));
        p.setBrush(it.filled ? QBrush(toQColor(it.fill)) : QBrush(Qt::NoBrush));
        if (it.shape == Shape::Rect) {
            p.drawRect(r);
        } else {
            const qreal radius = qMax<qreal>(0, it.radius - w / 2);
            p.drawRoundedRect(r, radius, radius);
        }
        break;
    }
    case Shape::Line:
        p.setPen(QPen(toQColor(it.pen), it.penWidth, Qt::SolidLine,
                      it.penWidth > 1 ? Qt::RoundCap : Qt::SquareCap));
        p.drawLine(snapped(it.line, it.penWidth));
        break;
    case Shape::Text: {
        p.setFont(font);
        p.setPen(toQColor(it.pen));
        int flags = Qt::AlignHCenter | Qt::AlignTop;
        if (it.filled) {
            p.save();
            p.fillRect(it.rect, toQColor(it.fill));
            p.setClipRect(it.rect, Qt::IntersectClip);
            p.drawText(it.rect, flags | (it.wordWrap ? Qt::TextWordWrap : 0), it.text);
            p.restore();
        } else {
            p.drawText(it.rect, flags | Qt::TextDontClip, it.text);
        }
        break;
    }
    }
}

void drawSprite(QPainter &p, const QImage &hand, const QImage &mask, QPoint at)
{
    if (hand.isNull() || mask.isNull())
        return;
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(at, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawImage(at, hand);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

KeyboardView::KeyboardView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picKey"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    // The hands' size from the picture's header; the pictures themselves are
    // decoded when the hands are first drawn, not at start-up.
    const QSize left = QImageReader(QStringLiteral(":/quillory/hands/left-hand.png")).size();
    m_handSize = left.isValid() ? left : QSize(228, 178);
}

// --- Key tops ----------------------------------------------------------------

KeyRect KeyboardView::keyTopRect(KeyNumber k) const
{
    const Item *it = m_picture.keyTop(k);
    if (!it)
        return {};
    const QRect r = it->rect.toRect();
    return {static_cast<qint16>(r.left()), static_cast<qint16>(r.top()),
            static_cast<qint16>(r.width()), static_cast<qint16>(r.height())};
}

void KeyboardView::moveKeyTop(KeyNumber k, int left, int top)
{
    apply(m_picture.moveKeyTop(k, left, top));
}

VbColor KeyboardView::borderColor(KeyNumber k) const
{
    const Item *it = m_picture.keyTop(k);
    return it ? it->pen : Palette::Black;
}

int KeyboardView::borderWidth(KeyNumber k) const
{
    const Item *it = m_picture.keyTop(k);
    return it ? it->penWidth : 0;
}

void KeyboardView::setBorder(KeyNumber k, VbColor color, int width)
{
    apply(m_picture.setKeyBorder(k, color, width));
}

VbColor KeyboardView::fillColor(KeyNumber k) const
{
    const Item *it = m_picture.keyTop(k);
    return it ? it->fill : Palette::Black;
}

void KeyboardView::setFill(KeyNumber k, VbColor color)
{
    apply(m_picture.setKeyFill(k, color));
}

bool KeyboardView::isItemVisible(ItemRef ref) const
{
    const Item *it = m_picture.item(ref);
    return it && it->visible;
}

void KeyboardView::setItemVisible(ItemRef ref, bool visible)
{
    apply(m_picture.setVisible(ref, visible));
}

// --- Layouts and captions ------------------------------------------------------

void KeyboardView::applyLayout(int option)
{
    apply(m_picture.applyLayout(option));
}

void KeyboardView::matchBigEnterToEnterKey()
{
    apply(m_picture.matchBigEnterToEnterKey());
}

void KeyboardView::setHomeCaptionsVisible(bool visible)
{
    apply(m_picture.setHomeCaptionsVisible(visible));
}

bool KeyboardView::homeCaptionsVisible() const
{
    return m_picture.homeCaptionsVisible();
}

// --- Rendering -----------------------------------------------------------------

void KeyboardView::apply(const Damage &damage)
{
    for (const QRectF &r : damage) {
        const QRect area = r.toAlignedRect() & rect();
        if (area.isEmpty())
            continue;
        if (!m_base.isNull())
            markStale(area);
        update(area);
    }
}

void KeyboardView::markStale(QRect area)
{
    // One keystroke moves a key top by a pixel and changes its border: the
    // overlapping areas are rendered once, as one rectangle, at the next paint.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = m_stale.begin(); it != m_stale.end(); ++it) {
            if (it->intersects(area)) {
                area |= *it;
                m_stale.erase(it);
                merged = true;
                break;
            }
        }
    }
    m_stale.push_back(area);
}

void KeyboardView::renderStale()
{
    const std::vector<QRect> stale = std::exchange(m_stale, {});
    for (const QRect &area : stale) {
        renderPicture(area);
        if (m_handsDrawn)
            composeHands(area);
    }
}

void KeyboardView::ensureCanvas()
{
    const qreal dpr = devicePixelRatioF();
    if (!m_base.isNull() && qFuzzyCompare(m_base.devicePixelRatio(), dpr))
        return;
    m_base = QImage((QSizeF(kWidth, kHeight) * dpr).toSize(), QImage::Format_RGB32);
    m_base.setDevicePixelRatio(dpr);
    m_base.setDotsPerMeterX(kDotsPerMeter);
    m_base.setDotsPerMeterY(kDotsPerMeter);
    m_stale.clear();
    renderPicture(rect());
    if (m_handsDrawn) {
        ensureSprites();
        m_stage = m_base.copy();
        composeHands(rect());
    }
}

void KeyboardView::renderPicture(const QRect &area)
{
    QPainter p(&m_base);
    p.setClipRect(area);
    p.fillRect(area, toQColor(kBackground));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF a(area);
    for (const Item &it : m_picture.items()) {
        if (it.visible && it.paintedBounds().intersects(a))
            paintItem(p, it, it.shape == Shape::Text ? fontOf(it.font) : QFont());
    }
}

const QFont &KeyboardView::fontOf(const FontChoice &choice)
{
    const quint32 key = (static_cast<quint32>(choice.role) << 24)
                        | (static_cast<quint32>(choice.points * 100) << 1) | (choice.bold ? 1 : 0);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        QFont f;
        switch (choice.role) {
        case FontRole::Ming: f = Fonts::ming(choice.points, choice.bold); break;
        case FontRole::Kai: f = Fonts::kai(choice.points, choice.bold); break;
        case FontRole::Arial: f = Fonts::arial(choice.points, choice.bold); break;
        }
        it = m_fonts.insert(key, f);
    }
    return *it;
}

QRectF KeyboardView::devicePixels(const QRect &r) const
{
    const qreal d = m_base.devicePixelRatio();
    return QRectF(r.x() * d, r.y() * d, r.width() * d, r.height() * d);
}

void KeyboardView::paintEvent(QPaintEvent *event)
{
    ensureCanvas();
    renderStale();
    const QImage &shown = m_handsDrawn ? m_stage : m_base;
    QPainter p(this);
    for (const QRect &r : event->region())
        p.drawImage(QRectF(r), shown, devicePixels(r));
}

void KeyboardView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// --- Hands -----------------------------------------------------------------------

QSize KeyboardView::handSize() const
{
    return m_handSize;
}

void KeyboardView::loadSprites(qreal dpr)
{
    // The 2x pictures serve every density above 1; other densities than 1
    // and 2 are scaled without smoothing so that the masks stay black and white.
    const QString suffix = dpr > 1.0 ? QStringLiteral("@2x") : QString();
    const QSize want = (QSizeF(m_handSize) * dpr).toSize();
    auto load = [&](const QString &name) {
        QImage img(QStringLiteral(":/quillory/hands/%1%2.png").arg(name, suffix));
        if (img.isNull())
            return img;
        if (img.size() != want)
            img = img.scaled(want, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        img = img.convertToFormat(QImage::Format_RGB32);
        img.setDevicePixelRatio(dpr);
        return img;
    };
    m_sprites[0] = {load(QStringLiteral("left-hand")), load(QStringLiteral("left-mask"))};
    m_sprites[1] = {load(QStringLiteral("right-hand")), load(QStringLiteral("right-mask"))};
}

void KeyboardView::ensureSprites()
{
    const qreal dpr = m_base.devicePixelRatio();
    if (m_spriteDpr > 0 && qFuzzyCompare(m_spriteDpr, dpr))
        return;
    loadSprites(dpr);
    m_spriteDpr = dpr;
}

void KeyboardView::moveHands(int leftX, int rightX, int fromY, int toY)
{
    ensureCanvas();
    renderStale();
    ensureSprites();
    if (!m_handsDrawn) {
        m_stage = m_base.copy();
        m_handsDrawn = true;
    }
    const int xs[2] = {leftX, rightX};
    QPainter p(&m_stage);
    for (int i = 0; i < 2; ++i) {
        // Put back the picture under the old place, then mask and draw the
        // hand at the new one.
        const QRect old = QRect(QPoint(xs[i], fromY), m_handSize) & rect();
        if (!old.isEmpty()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QRectF(old), m_base, devicePixels(old));
        }
        m_handAt[i] = QPoint(xs[i], toY);
        drawSprite(p, m_sprites[i].hand, m_sprites[i].mask, m_handAt[i]);
        update(old);
        update(QRect(m_handAt[i], m_handSize) & rect());
    }
}

void KeyboardView::composeHands(const QRect &area)
{
    QPainter p(&m_stage);
    p.setClipRect(area);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QRectF(area), m_base, devicePixels(area));
    for (int i = 0; i < 2; ++i)
        drawSprite(p, m_sprites[i].hand, m_sprites[i].mask, m_handAt[i]);
}

void KeyboardView::clearHands()
{
    if (!m_handsDrawn)
        return;
    m_handsDrawn = false;
    m_stage = QImage();
    for (const QPoint &at : m_handAt)
        update(QRect(at, m_handSize) & rect());
}
