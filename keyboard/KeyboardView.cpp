#include "keyboard/KeyboardView.h"

#include <QHash>
#include <QResource>
#include <QTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEngine>
#include <QPaintEvent>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "view/Fonts.h"
#include "view/LaidOutText.h"
#include "view/VbColor.h"
#include "keyboard/PictureCache.h"

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

void paintItem(QPainter &p, const Item &it, const LaidOutText &text)
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
    case Shape::Text:
        p.setPen(toQColor(it.pen));
        if (it.filled) {
            p.save();
            p.fillRect(it.rect, toQColor(it.fill));
            p.setClipRect(it.rect, Qt::IntersectClip);
            text.draw(p, it.rect.topLeft());
            p.restore();
        } else {
            text.draw(p, it.rect.topLeft());
        }
        break;
    }
}

// Texts are centred at the top of their box; opaque captions wrap and are
// cut at their box, legends may overhang it.
int textFlags(const Item &it)
{
    if (it.filled)
        return Qt::AlignHCenter | Qt::AlignTop | (it.wordWrap ? Qt::TextWordWrap : 0);
    return Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;
}

// The area an item may paint on: Item::paintedBounds(), inline, as every
// paint asks it of the items near the changed areas.
QRectF reachOf(const Item &it)
{
    switch (it.shape) {
    case Shape::Line: {
        const qreal m = it.penWidth / 2.0 + 1.5;
        return QRectF(QPointF(std::min(it.line.x1(), it.line.x2()) - m, std::min(it.line.y1(), it.line.y2()) - m),
                      QPointF(std::max(it.line.x1(), it.line.x2()) + m, std::max(it.line.y1(), it.line.y2()) + m));
    }
    case Shape::Text:
        if (it.filled)
            return it.rect;
        return it.rect.adjusted(-it.rect.height(), -2, it.rect.height(), 2);
    case Shape::RoundedRect:
    case Shape::Rect:
        break;
    }
    return it.rect.adjusted(-1, -1, 1, 1);
}

// Whether the region holds every pixel of the area: mostly one of its
// rectangles holds it whole.
bool covers(const QRegion &region, const QRect &area)
{
    if (!region.boundingRect().contains(area))
        return false;
    for (const QRect &r : region) {
        if (r.contains(area))
            return true;
    }
    return (QRegion(area) - region).isEmpty();
}

bool paintsOn(const Item &it, const QRectF &a)
{
    if (!it.visible)
        return false;
    const QRectF b = reachOf(it);
    return b.left() < a.right() && a.left() < b.right() && b.top() < a.bottom() && a.top() < b.bottom();
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
    // The hands' size from the picture's PNG header (width and height, big
    // endian, at bytes 16 and 20); the pictures themselves are decoded when
    // the hands are first drawn, not at start-up.
    m_handSize = QSize(228, 178);
    const QResource left(QStringLiteral(":/quillory/hands/left-hand.png"));
    if (left.isValid() && !left.compressionAlgorithm() != QResource::NoCompression && left.size() >= 24) {
        const uchar *h = left.data();
        auto be32 = [h](int at) { return int(quint32(h[at]) << 24 | quint32(h[at + 1]) << 16 | quint32(h[at + 2]) << 8 | h[at + 3]); };
        if (std::memcmp(h + 12, "IHDR", 4) == 0)
            m_handSize = QSize(be32(16), be32(20));
    }
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
    noteBefore(k);
    applyToKey(k, m_picture.moveKeyTop(k, left, top));
    // A key top sinks by a pixel and comes back: it stays in the cells it
    // was filed in unless it goes further.
    const Item *it = m_picture.keyTop(k);
    const auto index = it ? static_cast<std::size_t>(it - m_picture.items().data()) : 0;
    if (it && index < m_filed.size() && !m_filed[index].contains(reachOf(*it)))
        m_gridStale = true;
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
    noteBefore(k);
    applyToKey(k, m_picture.setKeyBorder(k, color, width));
}

VbColor KeyboardView::fillColor(KeyNumber k) const
{
    const Item *it = m_picture.keyTop(k);
    return it ? it->fill : Palette::Black;
}

void KeyboardView::setFill(KeyNumber k, VbColor color)
{
    noteBefore(k);
    applyToKey(k, m_picture.setKeyFill(k, color));
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
    m_screenKnown = false;
    apply(m_picture.applyLayout(option));
    m_gridStale = true;
    m_keyCells = {};
}

void KeyboardView::matchBigEnterToEnterKey()
{
    m_screenKnown = false;
    apply(m_picture.matchBigEnterToEnterKey());
}

void KeyboardView::setHomeCaptionsVisible(bool visible)
{
    m_screenKnown = false;
    apply(m_picture.setHomeCaptionsVisible(visible));
}

bool KeyboardView::homeCaptionsVisible() const
{
    return m_picture.homeCaptionsVisible();
}

// --- Rendering -----------------------------------------------------------------

// A key's cell: where its key top is drawn at rest and sunk by a pixel, with
// the pixel its edges shade around it. Every change of the key top inside
// it repaints the whole cell, so that each of the key's few looks is kept
// for one area.
QRect KeyboardView::keyCell(KeyNumber k)
{
    if (k < 1 || k > kMaxKeyNumber)
        return {};
    QRect &cell = m_keyCells[k];
    if (cell.isNull()) {
        if (const Item *it = m_picture.keyTop(k))
            cell = it->rect.adjusted(-1, -1, 2, 2).toAlignedRect() & rect();
    }
    return cell;
}

void KeyboardView::applyToKey(KeyNumber k, const Damage &damage)
{
    QRect changed;
    for (const QRectF &r : damage)
        changed |= r.toAlignedRect() & rect();
    if (changed.isEmpty())
        return;
    const QRect cell = keyCell(k);
    if (cell.contains(changed))
        markStale(cell);
    else
        apply(damage);
}

void KeyboardView::noteBefore(KeyNumber k)
{
    // The key top as the screen shows it, kept until the next paint: that
    // paint can keep the look it replaces.
    const Item *it = m_picture.keyTop(k);
    if (!it)
        return;
    const auto index = static_cast<int>(it - m_picture.items().data());
    for (const auto &b : m_before) {
        if (b.first == index)
            return;
    }
    m_before.emplace_back(index, *it);
}

void KeyboardView::apply(const Damage &damage)
{
    for (const QRectF &r : damage) {
        const QRect area = r.toAlignedRect() & rect();
        if (area.isEmpty())
            continue;
        markStale(area);
    }
}

void KeyboardView::markStale(QRect area)
{
    // One keystroke moves a key top by a pixel and changes its border: the
    // overlapping areas are rendered once, as one rectangle, at the next
    // paint, and that whole rectangle is repainted.
    for (const QRect &r : m_stale) {
        if (r.contains(area))
            return; // already to be repainted
    }
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
    update(area);
}

void KeyboardView::renderStale()
{
    const std::vector<QRect> stale = std::exchange(m_stale, {});
    for (const QRect &area : stale) {
        if (!restoreTile(m_base, inBand(0, area), area)) {
            renderPicture(m_base, 0, area);
            keepTile(m_base, inBand(0, area), area);
        }
        if (m_handsDrawn)
            composeHands(area);
    }
}

void KeyboardView::ensureCanvas()
{
    const qreal dpr = devicePixelRatioF();
    useDensity(dpr);
    if (!m_base.isNull() && qFuzzyCompare(m_base.devicePixelRatio(), dpr))
        return;
    m_base = pictureImage(kHeight, dpr);
    m_stale.clear();
    renderPicture(m_base, 0, rect());
    if (m_handsDrawn) {
        ensureSprites();
        m_stage = m_base.copy();
        composeHands(rect());
    }
}

QImage KeyboardView::pictureImage(int rows, qreal dpr)
{
    QImage img((QSizeF(kWidth, rows) * dpr).toSize(), QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    return img;
}

void KeyboardView::useDensity(qreal dpr)
{
    if (qFuzzyCompare(m_tileDpr, dpr))
        return;
    m_tileDpr = dpr;
    m_tiles.clear();
    m_tileCount = 0;
    m_tileBytes = 0;
    m_band = QImage();
}

void KeyboardView::renderPicture(QImage &target, int top, const QRect &area)
{
    QPainter p(&target);
    p.translate(0, -top);
    p.setClipRect(area);
    p.fillRect(area, toQColor(kBackground));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF a(area);
    const std::vector<Item> &items = m_picture.items();
    for (const int i : nearItems(area)) {
        const Item &it = items[i];
        if (paintsOn(it, a))
            paintItem(p, it, it.shape == Shape::Text ? textOf(i) : LaidOutText());
    }
}

const std::vector<int> &KeyboardView::nearItems(const QRect &area)
{
    // The picture is filed in a grid of cells; each item is listed in the
    // cells its reach, with a margin, covers.
    const std::vector<Item> &items = m_picture.items();
    const int columns = (kWidth + kCell - 1) / kCell;
    const int cellRows = (kHeight + kCell - 1) / kCell;
    if (m_gridStale || m_filed.size() != items.size()) {
        m_cells.assign(std::size_t(columns) * cellRows, {});
        m_filed.resize(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            m_filed[i] = reachOf(items[i]).adjusted(-kFilingMargin, -kFilingMargin, kFilingMargin, kFilingMargin);
            const QRect cells = cellsOf(m_filed[i].toAlignedRect());
            for (int y = cells.top(); y <= cells.bottom(); ++y) {
                for (int x = cells.left(); x <= cells.right(); ++x)
                    m_cells[std::size_t(y) * columns + x].push_back(static_cast<qint16>(i));
            }
        }
        m_seen.assign(items.size(), 0);
        m_nearAreas.clear();
        m_gridStale = false;
    }
    // The same few areas come back keystroke after keystroke.
    const quint64 key = areaKey(area);
    if (const auto known = m_nearAreas.constFind(key); known != m_nearAreas.constEnd())
        return *known;
    ++m_query;
    m_near.clear();
    const QRect cells = cellsOf(area);
    for (int y = cells.top(); y <= cells.bottom(); ++y) {
        for (int x = cells.left(); x <= cells.right(); ++x) {
            for (const qint16 i : m_cells[std::size_t(y) * columns + x]) {
                if (m_seen[i] != m_query) {
                    m_seen[i] = m_query;
                    m_near.push_back(i);
                }
            }
        }
    }
    std::sort(m_near.begin(), m_near.end()); // painting order
    if (m_nearAreas.size() >= 1024)
        m_nearAreas.clear();
    return *m_nearAreas.insert(key, m_near);
}

quint64 KeyboardView::areaKey(const QRect &area)
{
    return (quint64(quint16(area.x())) << 48) | (quint64(quint16(area.y())) << 32)
           | (quint64(quint16(area.width())) << 16) | quint16(area.height());
}

QRect KeyboardView::cellsOf(const QRect &r)
{
    const int columns = (kWidth + kCell - 1) / kCell;
    const int cellRows = (kHeight + kCell - 1) / kCell;
    return QRect(QPoint(std::clamp(r.left() / kCell, 0, columns - 1), std::clamp(r.top() / kCell, 0, cellRows - 1)),
                 QPoint(std::clamp(r.right() / kCell, 0, columns - 1), std::clamp(r.bottom() / kCell, 0, cellRows - 1)));
}

const LaidOutText &KeyboardView::textOf(std::size_t index)
{
    const Item &it = m_picture.items()[index];
    if (m_texts.size() != m_picture.items().size())
        m_texts.resize(m_picture.items().size());
    LaidOutText &text = m_texts[index];
    // Laid out once; again only when a layout resizes the item's box.
    if (text.isNull() || text.box() != it.rect.size()) {
        QFont f;
        switch (it.font.role) {
        case FontRole::Ming: f = Fonts::ming(it.font.points, it.font.bold); break;
        case FontRole::Kai: f = Fonts::kai(it.font.points, it.font.bold); break;
        case FontRole::Arial: f = Fonts::arial(it.font.points, it.font.bold); break;
        }
        // Laid out for the picture's images, whatever their density: the
        // fonts are sized for 96 dots per inch.
        static const QImage device = [] {
            QImage img(1, 1, QImage::Format_RGB32);
            img.setDotsPerMeterX(kDotsPerMeter);
            img.setDotsPerMeterY(kDotsPerMeter);
            return img;
        }();
        text = LaidOutText(it.text, f, &device, it.rect.size(), textFlags(it));
    }
    return text;
}

// --- Rendered areas kept for reuse ----------------------------------------------

// A keystroke takes a few keys through the same few looks (marked as the
// next key, pressed, released); each look of such an area is rendered once
// and copied back when the area looks that way again.

namespace {
// Areas up to this size are kept (the space bar with its border: 303 x 45),
// and this many bytes of them in all, the least recently used given up first.
constexpr int kMaxTileArea = 320 * 48;
constexpr qsizetype kTileBudget = 384 * 1024;
// In a kept look's pixels: the row repeats the row above.
constexpr uchar kSameRow = 255;
} // namespace

void KeyboardView::lookOf(const QRect &area, std::vector<ItemLook> &look)
{
    look.clear();
    const QRectF a(area);
    const std::vector<Item> &items = m_picture.items();
    for (const int i : nearItems(area)) {
        const Item &it = items[i];
        if (paintsOn(it, a))
            look.push_back({static_cast<qint16>(i), static_cast<qint16>(it.penWidth), it.fill, it.pen,
                            it.shape == Shape::Line ? QRectF(it.line.p1(), it.line.p2()) : it.rect});
    }
}

void KeyboardView::lookBefore(const QRect &area, const std::vector<ItemLook> &now, std::vector<ItemLook> &before) const
{
    // The look now, with each key top changed since the last paint as it
    // was then: in the area or out of it, in painting order.
    before = now;
    const QRectF a(area);
    for (const auto &[index, it] : m_before) {
        const auto at = std::find_if(before.begin(), before.end(), [i = index](const ItemLook &l) { return l.index == i; });
        if (at != before.end())
            before.erase(at);
        if (paintsOn(it, a)) {
            const auto place = std::find_if(before.begin(), before.end(), [i = index](const ItemLook &l) { return l.index > i; });
            before.insert(place, {static_cast<qint16>(index), static_cast<qint16>(it.penWidth), it.fill, it.pen,
                                  it.shape == Shape::Line ? QRectF(it.line.p1(), it.line.p2()) : it.rect});
        }
    }
}

bool KeyboardView::keepsTiles(const QRect &area) const
{
    // At a fractional density an area's edge cuts device pixels shared with
    // its neighbours: such areas are always rendered.
    return area.width() * area.height() <= kMaxTileArea && m_tileDpr == qRound(m_tileDpr);
}

QRect KeyboardView::deviceRect(QPoint at, const QRect &area) const
{
    const int d = qRound(m_tileDpr);
    return QRect(at, area.size() * d);
}

QPoint KeyboardView::inBand(int top, const QRect &area) const
{
    const int d = qRound(m_tileDpr);
    return QPoint(area.x() * d, (area.y() - top) * d);
}

KeyboardView::Tile *KeyboardView::findTile(const QRect &area, const std::vector<ItemLook> &look)
{
    const auto found = m_tiles.find(areaKey(area));
    if (found == m_tiles.end())
        return nullptr;
    for (Tile &t : *found) {
        if (t.look == look)
            return &t;
    }
    return nullptr;
}

bool KeyboardView::restoreTile(QImage &target, QPoint at, const QRect &area)
{
    if (!keepsTiles(area))
        return false;
    lookOf(area, m_look);
    Tile *found = findTile(area, m_look);
    if (!found)
        return false;
    decode(*found, target, at);
    return true;
}

void KeyboardView::decode(Tile &t, QImage &target, QPoint at)
{
    {
        const QRect &area = t.area;
        t.lastUse = ++m_tileClock;
        const QRect d = deviceRect(at, area);
        const int w = d.width();
        const uchar *run = t.pixels.data();
        uchar *const bits = target.bits();
        const qsizetype stride = target.bytesPerLine();
        // Each row is spelled out in a buffer with room to spare, four
        // pixels of a run at a time (a short run's extra pixels are
        // overwritten by the next run), and copied out whole.
        m_row.resize(std::size_t(w) + 4);
        const QRgb *colours = t.colours.data();
        for (int y = 0; y < d.height(); ++y) {
            QRgb *line = reinterpret_cast<QRgb *>(bits + (d.y() + y) * stride) + d.x();
            if (t.colours.empty()) {
                std::memcpy(line, run, qsizetype(w) * 4);
                run += qsizetype(w) * 4;
                continue;
            }
            if (*run == kSameRow) {
                // m_row still holds the row above.
                ++run;
                std::memcpy(line, m_row.data(), qsizetype(w) * 4);
                continue;
            }
            QRgb *out = m_row.data();
            for (QRgb *const end = out + w; out < end;) {
                const int op = *run++;
                if (op < 128) {
                    const QRgb c = colours[*run++];
                    QRgb *const runEnd = out + op + 1;
                    do {
                        out[0] = c;
                        out[1] = c;
                        out[2] = c;
                        out[3] = c;
                        out += 4;
                    } while (out < runEnd);
                    out = runEnd;
                } else {
                    for (const uchar *const last = run + (op - 127); run < last; ++run)
                        *out++ = colours[*run];
                }
            }
            std::memcpy(line, m_row.data(), qsizetype(w) * 4);
        }
    }
}

void KeyboardView::keepTile(const QImage &source, QPoint at, const QRect &area)
{
    keepTile(source, at, area, m_look);
}

void KeyboardView::keepTile(const QImage &source, QPoint at, const QRect &area, const std::vector<ItemLook> &look)
{
    if (!keepsTiles(area))
        return;
    // restoreTile has just found the area's look missing. A key's area holds
    // a few flat colours and the shades of its edges and legends: mostly
    // fewer than 256, kept as numbers in a table of colours, row by row in
    // two kinds of pieces: a run of one colour (a byte n < 128 for n + 1
    // pixels, then the colour's number) and pixels as they come (a byte
    // 128 + n - 1 for n < 128 pixels, then their numbers). A row equal to
    // the one above it is a single byte, kSameRow: the flat middle of a key.
    const QRect d = deviceRect(at, area);
    Tile t{area, look, {}, {}, ++m_tileClock};
    // Colours to their numbers: open addressing, a colour and its number + 1.
    std::array<std::pair<QRgb, int>, 1024> table{};
    auto numberOf = [&](QRgb c) {
        for (quint32 h = (c * 2654435761u) >> 22;; h = (h + 1) & 1023) {
            if (table[h].second == 0) {
                if (t.colours.size() == 256)
                    return -1;
                t.colours.push_back(c);
                table[h] = {c, int(t.colours.size())};
            }
            if (table[h].first == c)
                return table[h].second - 1;
        }
    };
    constexpr int kLongRun = 4; // shorter runs are kept as single pixels
    bool indexed = true;
    for (int y = 0; y < d.height() && indexed; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(source.constScanLine(d.y() + y)) + d.x();
        if (y > 0 && std::memcmp(line, source.constScanLine(d.y() + y - 1) + qsizetype(d.x()) * 4,
                                 qsizetype(d.width()) * 4) == 0) {
            t.pixels.push_back(kSameRow);
            continue;
        }
        qsizetype literal = -1; // where the open piece of single pixels starts
        for (int x = 0; x < d.width() && indexed;) {
            int n = 1;
            while (x + n < d.width() && n < 128 && line[x + n] == line[x])
                ++n;
            const int number = numberOf(line[x]);
            indexed = number >= 0;
            if (n >= kLongRun) {
                t.pixels.push_back(static_cast<uchar>(n - 1));
                t.pixels.push_back(static_cast<uchar>(number));
                literal = -1;
                x += n;
                continue;
            }
            if (literal < 0 || t.pixels[literal] == kSameRow - 1) {
                literal = static_cast<qsizetype>(t.pixels.size());
                t.pixels.push_back(127);
            }
            ++t.pixels[literal];
            t.pixels.push_back(static_cast<uchar>(number));
            ++x;
        }
    }
    if (!indexed) {
        t.colours.clear();
        t.pixels.resize(qsizetype(d.width()) * d.height() * 4);
        for (int y = 0; y < d.height(); ++y)
            std::memcpy(t.pixels.data() + qsizetype(y) * d.width() * 4,
                        source.constScanLine(d.y() + y) + qsizetype(d.x()) * 4, qsizetype(d.width()) * 4);
    }
    t.colours.shrink_to_fit();
    t.pixels.shrink_to_fit();
    m_tileBytes += t.bytes();
    m_tiles[areaKey(area)].push_back(std::move(t));
    ++m_tileCount;
    while (m_tileBytes > kTileBudget && m_tileCount > 1) {
        auto oldestArea = m_tiles.end();
        std::vector<Tile>::iterator oldest;
        for (auto a = m_tiles.begin(); a != m_tiles.end(); ++a) {
            for (auto it = a->begin(); it != a->end(); ++it) {
                if (oldestArea == m_tiles.end() || it->lastUse < oldest->lastUse) {
                    oldestArea = a;
                    oldest = it;
                }
            }
        }
        m_tileBytes -= oldest->bytes();
        oldestArea->erase(oldest);
        if (oldestArea->empty())
            m_tiles.erase(oldestArea);
        --m_tileCount;
    }
}

qsizetype KeyboardView::Tile::bytes() const
{
    return qsizetype(sizeof(Tile) + look.size() * sizeof(ItemLook) + colours.size() * sizeof(QRgb)
                     + pixels.size());
}

QRectF KeyboardView::devicePixels(const QRect &r) const
{
    const qreal d = m_base.devicePixelRatio();
    return QRectF(r.x() * d, r.y() * d, r.width() * d, r.height() * d);
}

void KeyboardView::paintEvent(QPaintEvent *event)
{
    if (!m_toPrepare.empty() && !m_prepareTimer->isActive())
        m_prepareTimer->start(); // from the event loop, after this paint
    QPainter p(this);
    if (m_handsDrawn) {
        m_screenKnown = false;
        m_before.clear();
        // The hands are drawn over a copy of the whole picture.
        ensureCanvas();
        renderStale();
        for (const QRect &r : coalesced(event->region()))
            p.drawImage(QRectF(r), m_stage, devicePixels(r));
        return;
    }
    useDensity(devicePixelRatioF());
    const QRegion &region = event->region();
    if (covers(region, rect())) {
        paintWhole(p, region);
        return;
    }
    // The areas changed since the last paint, each in one piece (so that
    // its look can be kept and found again), then whatever else is exposed.
    // Looks are kept from the screen only while it shows the whole picture
    // as it was at the last paint; a paint of the whole picture onto the
    // screen makes it so again.
    m_keepFromScreen = m_screenKnown;
    m_allOnScreen = true;
    QRegion rest = region;
    for (const QRect &area : std::exchange(m_stale, {})) {
        if (rest.intersects(area)) {
            showArea(p, region, area, true);
            rest -= area;
        } else {
            m_allOnScreen = false;
        }
    }
    for (const QRect &part : coalesced(rest))
        showArea(p, region, part, false);
    m_screenKnown = m_screenKnown && m_allOnScreen;
    m_keepFromScreen = false;
    m_before.clear();
}

void KeyboardView::paintWhole(QPainter &p, const QRegion &region)
{
    // The whole picture: kept from an earlier run, or rendered. Only the
    // picture of the first paint is kept for the next launch, which starts
    // the same way: a later one (the keyboard shown again during a run, say)
    // shows a state the next launch does not start in.
    m_stale.clear();
    m_before.clear();
    const bool first = !m_paintedWhole;
    m_paintedWhole = true;
    const QByteArray key = PictureCache::key(m_picture, m_tileDpr);
    QPoint onScreen;
    QImage *screen = screenFor(p, region, rect(), onScreen);
    // A kept picture is read straight onto the screen's image.
    if (screen && PictureCache::loadInto(key, *screen, deviceRect(onScreen, rect()))) {
        m_screenKnown = true;
        return;
    }
    QImage picture = pictureImage(kHeight, m_tileDpr);
    if (screen || !PictureCache::loadInto(key, picture, picture.rect())) {
        renderPicture(picture, 0, rect());
        if (first && !key.isEmpty()) {
            // Written once the window is on the screen.
            QTimer::singleShot(0, this, [key, picture] { PictureCache::save(key, picture); });
        }
    }
    if (screen) {
        for (int y = 0; y < picture.height(); ++y) {
            std::memcpy(screen->scanLine(onScreen.y() + y) + qsizetype(onScreen.x()) * 4, picture.constScanLine(y),
                        qsizetype(picture.width()) * 4);
        }
        m_screenKnown = true;
    } else {
        p.drawImage(QPointF(0, 0), picture);
        m_screenKnown = false;
    }
}

std::vector<QRect> KeyboardView::coalesced(const QRegion &region)
{
    // Touching parts as one rectangle each: the painter keeps to the region,
    // and every pixel of the rectangle is current.
    std::vector<QRect> parts;
    for (const QRect &r : region) {
        QRect part = r;
        for (bool merged = true; merged;) {
            merged = false;
            for (auto it = parts.begin(); it != parts.end(); ++it) {
                if (it->adjusted(-1, -1, 1, 1).intersects(part)) {
                    part |= *it;
                    parts.erase(it);
                    merged = true;
                    break;
                }
            }
        }
        parts.push_back(part);
    }
    return parts;
}

QImage *KeyboardView::screenFor(QPainter &p, const QRegion &region, const QRect &area, QPoint &at) const
{
    // The paint goes to the window's image in memory (Qt's raster backing
    // store), in a format whose opaque pixels have the picture's own bits,
    // at whole device pixels: the area's pixels can be written there as
    // they are. Qt would blend them one by one under a paint region of
    // several rectangles, as a keystroke's is. Anything else is drawn.
    QPaintEngine *engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !covers(region, area))
        return nullptr;
    auto *screen = dynamic_cast<QImage *>(engine->paintDevice());
    if (!screen || !screen->isDetached() || m_tileDpr != qRound(m_tileDpr))
        return nullptr;
    switch (screen->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        return nullptr;
    }
    const QTransform t = p.deviceTransform();
    const QPointF corner = t.map(QPointF(area.topLeft()));
    if (t.type() > QTransform::TxScale || t.m11() != m_tileDpr || t.m22() != m_tileDpr
        || corner != corner.toPoint())
        return nullptr;
    at = corner.toPoint();
    if (!screen->rect().contains(deviceRect(at, area)))
        return nullptr;
    return screen;
}

void KeyboardView::showArea(QPainter &p, const QRegion &region, const QRect &area, bool keep)
{
    QPoint onScreen;
    QImage *screen = screenFor(p, region, area, onScreen);
    if (screen && keep && keepsTiles(area)) {
        lookOf(area, m_look);
        // The look about to be replaced is on the screen: kept from there,
        // it needs no rendering when the area looks that way again (a key
        // marked as the next one goes back to its look at rest).
        if (m_keepFromScreen && !m_before.empty()) {
            lookBefore(area, m_look, m_lookBefore);
            if (m_lookBefore != m_look && !findTile(area, m_lookBefore))
                keepTile(*screen, onScreen, area, m_lookBefore);
        }
        if (Tile *t = findTile(area, m_look)) {
            decode(*t, *screen, onScreen);
            return;
        }
    }

    QImage scratch;
    int top = 0;
    QImage *band = bandFor(area, scratch, top);
    if (!(keep && !screen && restoreTile(*band, inBand(top, area), area))) {
        renderPicture(*band, top, area);
        if (keep) {
            if (screen)
                lookOf(area, m_look);
            keepTile(*band, inBand(top, area), area);
        }
    }
    if (!screen)
        m_allOnScreen = false;
    const int d = qRound(m_tileDpr);
    if (screen) {
        const QPoint from = inBand(top, area);
        const qsizetype bytes = qsizetype(area.width()) * d * 4;
        for (int y = 0; y < area.height() * d; ++y) {
            std::memcpy(screen->scanLine(onScreen.y() + y) + qsizetype(onScreen.x()) * 4,
                        band->constScanLine(from.y() + y) + qsizetype(from.x()) * 4, bytes);
        }
    } else if (d == m_tileDpr) {
        // The area's part of the band as an image of its own, drawn at a
        // point: Qt copies it row by row where the paint's region is one
        // rectangle.
        const QPoint from = inBand(top, area);
        QImage part(band->constScanLine(from.y()) + qsizetype(from.x()) * 4, area.width() * d,
                    area.height() * d, band->bytesPerLine(), band->format());
        part.setDevicePixelRatio(m_tileDpr);
        p.drawImage(area.topLeft(), part);
    } else {
        p.drawImage(QRectF(area), *band,
                    QRectF(area.x() * m_tileDpr, (area.y() - top) * m_tileDpr, area.width() * m_tileDpr,
                           area.height() * m_tileDpr));
    }
}

QImage *KeyboardView::bandFor(const QRect &area, QImage &scratch, int &top)
{
    // Qt cuts a thin outline short at the image's edge and then shades it
    // differently, so an outline must not reach out of the image. At a
    // fractional density the image holds the whole picture, so that nothing
    // lands at a fraction of a device pixel from where the whole picture
    // puts it.
    QRect rows = area;
    if (m_tileDpr == qRound(m_tileDpr)) {
        const QRectF a(area);
        const std::vector<Item> &items = m_picture.items();
        for (const int i : nearItems(area)) {
            if (items[i].penWidth > 0 && paintsOn(items[i], a))
                rows |= reachOf(items[i]).toAlignedRect();
        }
        rows &= rect();
    } else {
        rows = rect();
    }
    top = rows.top();
    if (rows.height() > kBandRows) {
        scratch = pictureImage(rows.height(), m_tileDpr);
        return &scratch;
    }
    if (m_band.isNull())
        m_band = pictureImage(kBandRows, m_tileDpr);
    return &m_band;
}

// --- Looks prepared ahead --------------------------------------------------------

void KeyboardView::prepareLooks(std::vector<KeyLook> looks)
{
    std::reverse(looks.begin(), looks.end());
    m_toPrepare = std::move(looks);
    if (!m_prepareTimer) {
        m_prepareTimer = new QTimer(this);
        m_prepareTimer->setInterval(0);
        connect(m_prepareTimer, &QTimer::timeout, this, &KeyboardView::prepareNextLook);
    }
    if (!m_toPrepare.empty())
        m_prepareTimer->start();
}

void KeyboardView::prepareNextLook()
{
    // One look at a time, each a fraction of a millisecond: a key pressed
    // meanwhile waits for one at most. Only while the screen shows the
    // picture at the density of the kept looks and no key top is changing;
    // otherwise the next paint takes it up again.
    if (m_toPrepare.empty() || m_tileDpr == 0 || m_handsDrawn || !isVisible() || !m_stale.empty()
        || !m_before.empty()) {
        m_prepareTimer->stop();
        return;
    }
    if (m_tileBytes > kTileBudget * 3 / 4) {
        // The keys met first are prepared; the rest of the room is left to
        // the looks the keystrokes keep.
        m_toPrepare.clear();
        m_prepareTimer->stop();
        return;
    }
    const KeyLook look = m_toPrepare.back();
    m_toPrepare.pop_back();
    const Item *it = m_picture.keyTop(look.key);
    const QRect cell = keyCell(look.key);
    if (!it || cell.isEmpty() || !keepsTiles(cell))
        return;
    const auto index = static_cast<std::size_t>(it - m_picture.items().data());
    const Item was = *it;
    const QPointF rest = was.rect.topLeft();
    if (rest != rest.toPoint())
        return;
    const int d = look.sunk ? 1 : 0;
    m_picture.setKeyBorder(look.key, look.border, look.borderWidth);
    m_picture.moveKeyTop(look.key, int(rest.x()) + d, int(rest.y()) + d);
    it = m_picture.keyTop(look.key);
    // A look that reaches out of the cells the key is filed in is left to
    // the keystroke that shows it.
    if (index < m_filed.size() && m_filed[index].contains(reachOf(*it)) && !m_gridStale) {
        lookOf(cell, m_look);
        if (!findTile(cell, m_look)) {
            QImage scratch;
            int top = 0;
            QImage *band = bandFor(cell, scratch, top);
            renderPicture(*band, top, cell);
            keepTile(*band, inBand(top, cell), cell);
        }
    }
    m_picture.moveKeyTop(look.key, int(rest.x()), int(rest.y()));
    m_picture.setKeyBorder(look.key, was.pen, was.penWidth);
}

void KeyboardView::hideEvent(QHideEvent *event)
{
    // What lay under the keyboard is drawn over its place on the screen.
    m_screenKnown = false;
    QWidget::hideEvent(event);
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
    m_base = QImage();
    for (const QPoint &at : m_handAt)
        update(QRect(at, m_handSize) & rect());
}
