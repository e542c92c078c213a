#include "practice/TextWindow.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

#include <algorithm>

#include "view/Fonts.h"
#include "view/LaidOutText.h"
#include "view/VbColor.h"

namespace {

constexpr int kTitleWidth = 17;
// Lines below the view kept prepared: a lesson's whole text, and well ahead
// of the learner in a longer one.
constexpr int kPreparedLines = 12;
// How long the sheet and the scroll bar wait after a paint or a move before
// they prepare what comes next, so that the work never delays a keystroke's
// way to the screen.
constexpr int kQuietMs = 25;
// Looks of the scroll bar kept: the one shown, the next and a few more.
constexpr int kKeptBarLooks = 8;

// Index of the first cell whose row reaches below y (cells are in line order).
template <typename Cells>
std::size_t firstCellBelow(const Cells &cells, int y, int height)
{
    auto it = std::lower_bound(cells.begin(), cells.end(), y,
                               [height](const auto &cell, int yy) { return cell.top + height <= yy; });
    return static_cast<std::size_t>(it - cells.begin());
}

} // namespace

TextSheet::TextSheet(QWidget *parent)
    : QWidget(parent), m_wordFont(Fonts::kai(15.75)), m_symbolFont(Fonts::kai(13))
{
    setObjectName(QStringLiteral("picWd"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    m_prepareTimer = new QTimer(this);
    m_prepareTimer->setSingleShot(true);
    connect(m_prepareTimer, &QTimer::timeout, this, &TextSheet::prepareAhead);
}

bool TextSheet::preparing() const
{
    return m_prepareWanted || m_prepareTimer->isActive();
}

void TextSheet::setTextLayout(const TextLayout *layout)
{
    m_layout = layout;
    m_words.clear();
    m_preparedTo = 0;
    m_prepareWanted = true;
    m_keepLines = false;
    dropKeptLines();
    update();
}

void TextSheet::cellsChanged()
{
    for (KeptLine &kept : m_lines)
        kept.stale = lineRect(kept.line);
    update();
}

QRect TextSheet::titleRect(int k) const
{
    if (!m_layout || k < 1 || k > static_cast<int>(m_layout->positions.size()))
        return {};
    const PositionCell &p = m_layout->positions[k - 1];
    return {p.left, p.top, kTitleWidth, kCellHeight};
}

QRect TextSheet::echoRect(int k) const
{
    return titleRect(k).translated(0, kEchoOffset);
}

QRect TextSheet::wordRect(int n) const
{
    if (!m_layout || n < 1 || n > static_cast<int>(m_layout->words.size()))
        return {};
    const WordCell &w = m_layout->words[n - 1];
    return {w.left, w.top, w.width, kCellHeight};
}

void TextSheet::updateEcho(int k)
{
    // With the column to its right, between it and the next position's
    // echo: a keystroke changes both echoes, which then repaint as one
    // rectangle.
    const QRect r = echoRect(k).adjusted(0, 0, 1, 0);
    if (r.width() <= 1)
        return;
    // The learner is typing: from now on the lines in view are kept as
    // pictures. A kept line's changed cells are drawn straight to the screen
    // as before, and into its picture once the window is quiet.
    m_keepLines = true;
    m_prepareWanted = true;
    for (KeptLine &kept : m_lines)
        if (r.intersects(lineRect(kept.line)))
            kept.stale += r & lineRect(kept.line);
    update(r);
}

QRect TextSheet::lineRect(int line) const
{
    return {0, line * kLineHeight, width(), kLineHeight};
}

std::pair<int, int> TextSheet::linesWanted() const
{
    const int top = std::max(0, -y()); // the sheet's first row in view
    const int bottom = top + parentWidget()->height() - 1;
    const int lastLine = std::max(0, (height() - 1) / kLineHeight);
    return {std::min(top / kLineHeight, lastLine), std::min(bottom / kLineHeight + 1, lastLine)};
}

void TextSheet::dropKeptLines()
{
    m_lines.clear();
    m_lines.shrink_to_fit();
}

void TextSheet::drawStale(KeptLine &kept)
{
    if (kept.stale.isEmpty())
        return;
    QPainter p(&kept.picture);
    p.translate(0, -kept.line * kLineHeight);
    p.setPen(Qt::black);
    p.setFont(m_wordFont);
    for (const QRect &r : kept.stale) {
        p.setClipRect(r);
        paintCells(p, r);
    }
    kept.stale = QRegion();
}

bool TextSheet::keepNextLine()
{
    const auto [first, last] = linesWanted();
    auto wanted = [&](const KeptLine &kept) { return kept.line >= first && kept.line <= last; };
    // Changed cells of the lines kept are brought up to date first.
    for (KeptLine &kept : m_lines) {
        if (wanted(kept) && !kept.stale.isEmpty()) {
            drawStale(kept);
            return true;
        }
    }
    for (int line = first; line <= last; ++line) {
        if (std::any_of(m_lines.begin(), m_lines.end(), [line](const KeptLine &k) { return k.line == line; }))
            continue;
        // A line scrolled out of view gives its picture to the one coming.
        auto slot = std::find_if_not(m_lines.begin(), m_lines.end(), wanted);
        if (slot == m_lines.end())
            slot = m_lines.emplace(m_lines.end());
        const qreal dpr = devicePixelRatioF();
        const QSize size = QSize(width(), kLineHeight) * dpr;
        if (slot->picture.size() != size || slot->picture.devicePixelRatio() != dpr) {
            // The screen's own format, so that copying it is a plain copy.
            slot->picture = QImage(size, QImage::Format_RGB32);
            slot->picture.setDevicePixelRatio(dpr);
        }
        slot->line = line;
        slot->stale = lineRect(line);
        drawStale(*slot);
        return true;
    }
    // Scrolled back: lines out of view beyond those wanted are let go.
    std::erase_if(m_lines, [&](const KeptLine &kept) { return !wanted(kept); });
    return false;
}

const LaidOutText &TextSheet::laidOutWord(const QString &word)
{
    // A text repeats its characters: each is laid out once.
    auto it = m_words.constFind(word);
    if (it == m_words.constEnd())
        it = m_words.insert(word, LaidOutText(word, m_wordFont, this, QSizeF(0, kCellHeight),
                                              Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip));
    return *it;
}

const LaidOutText &TextSheet::laidOutSymbol(const QString &symbol)
{
    // The symbols and echoes are a few dozen short strings, drawn again on
    // every keystroke: each is laid out once for this resolution. Most are
    // one character long.
    auto layOut = [&] {
        return LaidOutText(symbol, m_symbolFont, this, QSizeF(kTitleWidth, kCellHeight), Qt::AlignLeft | Qt::AlignTop);
    };
    if (symbol.size() == 1) {
        // Zhuyin, tone marks and ASCII each have a table of their own.
        const char16_t c = symbol.front().unicode();
        LaidOutText *slot = nullptr;
        if (c >= 0x3100 && c < 0x3130)
            slot = &m_zhuyin[c - 0x3100];
        else if (c >= 0x02C0 && c < 0x02E0)
            slot = &m_tones[c - 0x02C0];
        else if (c < 0x80)
            slot = &m_ascii[c];
        if (slot) {
            if (slot->isNull())
                *slot = layOut();
            return *slot;
        }
    }
    auto it = m_symbols.constFind(symbol);
    if (it == m_symbols.constEnd())
        it = m_symbols.insert(symbol, layOut());
    return *it;
}

void TextSheet::useDensity()
{
    if (m_symbolDpi != logicalDpiY()) {
        m_words.clear();
        m_symbols.clear();
        m_zhuyin = {};
        m_tones = {};
        m_ascii = {};
        m_symbolDpi = logicalDpiY();
        m_preparedTo = 0;
        dropKeptLines();
    }
}

void TextSheet::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_prepareWanted = true;
}

void TextSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        dropKeptLines();
}

void TextSheet::prepareAhead()
{
    if (!m_layout || !parentWidget() || !isVisible())
        return;
    useDensity();
    if (m_keepLines && keepNextLine()) {
        m_prepareTimer->start(0);
        return;
    }
    // The next line below the view not yet drawn. Its characters and symbols
    // are laid out and drawn once into a scrap image, which leaves their
    // glyphs rendered in Qt's glyph caches.
    const int shownTo = parentWidget()->height() - y();
    // Lines kept as pictures have had their glyphs drawn.
    const int keptTo = m_keepLines ? lineRect(linesWanted().second).bottom() + 1 : 0;
    const int from = std::max({shownTo, m_preparedTo, keptTo});
    const int limit = std::min(shownTo + kPreparedLines * kLineHeight, height());
    if (from >= limit)
        return;
    const int to = std::min(from + kLineHeight, limit);
    const qreal dpr = devicePixelRatioF();
    QImage scrap(QSize(32, 32) * dpr, QImage::Format_ARGB32_Premultiplied);
    scrap.setDevicePixelRatio(dpr);
    QPainter p(&scrap);
    for (std::size_t i = firstCellBelow(m_layout->words, from, kCellHeight); i < m_layout->words.size(); ++i) {
        const WordCell &w = m_layout->words[i];
        if (w.top >= to)
            break;
        if (!w.text.isEmpty())
            laidOutWord(w.text).draw(p, QPointF());
    }
    const auto &positions = m_layout->positions;
    for (std::size_t i = firstCellBelow(positions, from, kCellHeight); i < positions.size(); ++i) {
        if (positions[i].top >= to)
            break;
        laidOutSymbol(positions[i].symbol).draw(p, QPointF());
    }
    m_preparedTo = to;
    // The next line at the next turn of the event loop; a paint in between
    // puts it off again.
    if (to < limit)
        m_prepareTimer->start(0);
}

void TextSheet::paintEvent(QPaintEvent *event)
{
    useDensity();
    if (m_prepareWanted || m_prepareTimer->isActive()) {
        m_prepareWanted = false;
        m_prepareTimer->start(kQuietMs);
    }
    QPainter p(this);
    // What kept lines show unchanged is copied from their pictures.
    QRegion region = event->region();
    const qreal dpr = devicePixelRatioF();
    for (const KeptLine &kept : m_lines) {
        const QRegion copied = (region & lineRect(kept.line)) - kept.stale;
        for (const QRect &r : copied) {
            const QRectF from(QPointF(r.x(), r.y() - kept.line * kLineHeight) * dpr, QSizeF(r.size()) * dpr);
            p.drawImage(QRectF(r), kept.picture, from);
        }
        region -= copied;
    }
    // The rest part by part: a cell that reaches into two parts is drawn
    // into each only once, its text never twice over itself.
    const bool parts = region.rectCount() > 1;
    p.setPen(Qt::black);
    p.setFont(m_wordFont);
    for (const QRect &exposed : region) {
        if (parts)
            p.setClipRect(exposed);
        paintCells(p, exposed);
    }
}

void TextSheet::paintCells(QPainter &p, const QRect &exposed)
{
    p.fillRect(exposed, Qt::white);
    if (!m_layout)
        return;

    // Characters: transparent labels, black in the sheet's font.
    const auto &words = m_layout->words;
    for (std::size_t i = firstCellBelow(words, exposed.top(), kCellHeight); i < words.size(); ++i) {
        const WordCell &w = words[i];
        if (w.top > exposed.bottom())
            break;
        const QRect r(w.left, w.top, w.width, kCellHeight);
        if (r.intersects(exposed) && !w.text.isEmpty())
            laidOutWord(w.text).draw(p, r.topLeft());
    }

    // Symbols to type, light cyan, and under each the echo when shown.
    const QColor titleBack = toQColor(Palette::LightCyan);
    const auto &positions = m_layout->positions;
    for (std::size_t i = firstCellBelow(positions, exposed.top(), kEchoOffset + kCellHeight);
         i < positions.size(); ++i) {
        const PositionCell &c = positions[i];
        if (c.top > exposed.bottom())
            break;
        const QRect title(c.left, c.top, kTitleWidth, kCellHeight);
        if (title.intersects(exposed)) {
            p.fillRect(title, titleBack);
            laidOutSymbol(c.symbol).draw(p, title.topLeft());
        }
        if (c.echoVisible) {
            const QRect echo = title.translated(0, kEchoOffset);
            if (echo.intersects(exposed)) {
                p.fillRect(echo, toQColor(c.echoBack));
                laidOutSymbol(c.echo).draw(p, echo.topLeft());
            }
        }
    }
}

TextScrollBar::TextScrollBar(QWidget *parent) : QScrollBar(Qt::Vertical, parent)
{
    m_prepareTimer = new QTimer(this);
    m_prepareTimer->setSingleShot(true);
    m_prepareTimer->setInterval(kQuietMs);
    connect(m_prepareTimer, &QTimer::timeout, this, &TextScrollBar::prepareNext);
}

bool TextScrollBar::plainOption(QStyleOptionSlider &option, int value) const
{
    // A part under the pointer or pressed is drawn as such by QScrollBar from
    // state it keeps to itself.
    if (underMouse() || isSliderDown() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return false;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    option.sliderPosition = value;
    option.sliderValue = value;
    return true;
}

QByteArray TextScrollBar::lookKey(const QStyleOptionSlider &option) const
{
    const qint64 fields[] = {option.sliderPosition, option.minimum, option.maximum, option.pageStep, option.singleStep,
                             qint64(option.state), option.orientation, option.upsideDown, option.direction,
                             option.rect.width(), option.rect.height(), qint64(devicePixelRatioF() * 1000),
                             qint64(option.palette.cacheKey()), qint64(reinterpret_cast<quintptr>(style()))};
    return QByteArray(reinterpret_cast<const char *>(fields), sizeof fields);
}

const QImage &TextScrollBar::look(const QStyleOptionSlider &option)
{
    const QByteArray key = lookKey(option);
    auto it = m_looks.constFind(key);
    if (it != m_looks.constEnd())
        return *it;
    if (m_looks.size() >= kKeptBarLooks)
        m_looks.clear();
    // The bar paints every one of its pixels, so its look needs no ground.
    const qreal dpr = devicePixelRatioF();
    QImage image(size() * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::black);
    QPainter p(&image);
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &p, this);
    p.end();
    return *m_looks.insert(key, image);
}

void TextScrollBar::paintEvent(QPaintEvent *event)
{
    QStyleOptionSlider option;
    if (!plainOption(option, value())) {
        QScrollBar::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), look(option));
    // Then, once the window is quiet, the next line's look.
    m_prepareTimer->start();
}

void TextScrollBar::expectValue(int value)
{
    if (value == m_expected)
        return;
    m_expected = value;
    m_prepareTimer->start();
}

void TextScrollBar::prepareNext()
{
    // The look a keystroke that scrolls to the next line shows: the value
    // expected, or a line's height further on, or the end.
    const int next = m_expected > value() ? std::min(m_expected, maximum()) : std::min(value() + kLineHeight, maximum());
    QStyleOptionSlider option;
    if (next > value() && isVisible() && plainOption(option, next))
        look(option);
}

TextWindow::TextWindow(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("picWindow"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("picWindowClient"));
    // The sheet's last column lies under the scroll bar. The sheet scrolls in
    // a view that ends where the scroll bar begins, so that nothing lies over
    // the part of it that shows.
    m_view = new QWidget(m_client);
    m_view->setObjectName(QStringLiteral("picWindowView"));
    picWd = new TextSheet(m_view);
    picWd->setGeometry(0, 0, 753, 105);

    VScroll1 = new TextScrollBar(m_client);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(752, 0, 21, 125);
    VScroll1->setRange(0, 0);
    resize(kWidth, kHeight);
}

QPoint TextWindow::sheetPos() const
{
    return picWd->pos();
}

void TextWindow::moveSheet(int left, int top)
{
    // The sheet is drawn again where it comes to rest rather than moved as
    // pixels. Qt moves an opaque widget's pixels inside the X server, through
    // a copy of the whole window that costs more than drawing the shown
    // lines, and the first time far more; only a moving sheet is therefore
    // not opaque.
    picWd->setAttribute(Qt::WA_OpaquePaintEvent, false);
    picWd->move(left, top);
    picWd->setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TextWindow::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_client->setGeometry(contentsRect());
    m_view->setGeometry(0, 0, VScroll1->x(), m_client->height());
}
