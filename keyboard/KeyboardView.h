#pragma once
// The drawn keyboard picKey: paints the keyboard picture (keyboard/
// KeyboardPicture.h) layer by layer, keeps the key-top states, switches the
// layouts and plays the hands over the picture.
//
// The picture is rendered from its vectors into an image at the screen's
// pixel density; a change re-renders, at the next paint, and repaints only the
// areas it damaged.
// The hands are drawn over a copy of that image with the mask-then-sprite
// raster operations, so moving them never redraws the keyboard.

#include <QHash>
#include <QImage>
#include <QWidget>

class QTimer;
#include <array>
#include <vector>

#include "view/LaidOutText.h"
#include "keyboard/KeyboardPicture.h"

class KeyboardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = KeyboardArt::kWidth;
    static constexpr int kHeight = KeyboardArt::kHeight;

    explicit KeyboardView(QWidget *parent = nullptr);

    // The key top Shape1(k): its place, border and fill. Setters repaint only
    // what changed.
    KeyRect keyTopRect(KeyNumber k) const;
    void moveKeyTop(KeyNumber k, int left, int top);
    VbColor borderColor(KeyNumber k) const;
    int borderWidth(KeyNumber k) const;
    void setBorder(KeyNumber k, VbColor color, int width);
    VbColor fillColor(KeyNumber k) const;
    void setFill(KeyNumber k, VbColor color);

    const KeyboardArt::KeyboardPicture &picture() const { return m_picture; }
    bool isItemVisible(KeyboardArt::ItemRef ref) const;
    void setItemVisible(KeyboardArt::ItemRef ref, bool visible);

    // The layout table's column for option 0, 1 or 2.
    void applyLayout(int option);
    // The big Enter's upper part takes the Enter key top's current fill.
    void matchBigEnterToEnterKey();

    // The home-key captions and their pointer lines.
    void setHomeCaptionsVisible(bool visible);
    bool homeCaptionsVisible() const;

    // The hands. handSize() is the size of each hand picture; moveHands puts
    // back the picture under both hands at fromY and draws them at toY (left
    // edges leftX and rightX); clearHands repaints the picture without them.
    QSize handSize() const;
    void moveHands(int leftX, int rightX, int fromY, int toY);
    void clearHands();
    bool handsDrawn() const { return m_handsDrawn; }

    // A look a key top takes in a run: its border, and its top sunk by a
    // pixel or at rest.
    struct KeyLook {
        KeyNumber key = 0;
        VbColor border = Palette::Black;
        int borderWidth = 1;
        bool sunk = false;
    };
    // Renders these looks of their keys' areas off the screen, a few at a
    // time while the window is idle, and keeps them: the keystroke that
    // first shows one copies it instead of rendering it. Nothing on the
    // screen changes. Replaces the looks still waiting.
    void prepareLooks(std::vector<KeyLook> looks);
    bool looksWaiting() const { return !m_toPrepare.empty(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct Sprite {
        QImage hand; // the hand on black
        QImage mask; // black where the hand is, white elsewhere
    };

    // Changed areas are rendered in bands this high: a key with its shadow,
    // its border and its pressed place fits in one.
    static constexpr int kBandRows = 64;

    void apply(const KeyboardArt::Damage &damage);
    void applyToKey(KeyNumber k, const KeyboardArt::Damage &damage);
    QRect keyCell(KeyNumber k);
    void noteBefore(KeyNumber k);
    void markStale(QRect area);
    void renderStale();
    void ensureCanvas();
    static QImage pictureImage(int rows, qreal dpr);
    void useDensity(qreal dpr);
    // Renders the area of the picture into target, whose first row is the
    // picture's row top.
    void renderPicture(QImage &target, int top, const QRect &area);
    void showArea(QPainter &p, const QRegion &region, const QRect &area, bool keep);
    // The image an area is rendered into: whole rows of the picture, which
    // hold every outlined item that crosses the area; top is its first row.
    QImage *bandFor(const QRect &area, QImage &scratch, int &top);
    void prepareNextLook();
    void paintWhole(QPainter &p, const QRegion &region);
    QImage *screenFor(QPainter &p, const QRegion &region, const QRect &area, QPoint &at) const;
    static std::vector<QRect> coalesced(const QRegion &region);
    void composeHands(const QRect &area);
    void loadSprites(qreal dpr);
    void ensureSprites(); // the sprites at the canvas's density
    QRectF devicePixels(const QRect &r) const;
    const LaidOutText &textOf(std::size_t index);

    // What paints on an area: every visible item over it, with the state
    // that decides its pixels. Areas with equal looks have equal pixels.
    struct ItemLook {
        qint16 index;
        qint16 penWidth;
        VbColor fill;
        VbColor pen;
        QRectF place; // a shape's rectangle, a line's ends
        // Exactly equal: the same numbers draw the same pixels.
        friend bool operator==(const ItemLook &a, const ItemLook &b)
        {
            return a.index == b.index && a.penWidth == b.penWidth && a.fill == b.fill && a.pen == b.pen
                   && a.place.x() == b.place.x() && a.place.y() == b.place.y()
                   && a.place.width() == b.place.width() && a.place.height() == b.place.height();
        }
    };
    // An area's pixels in one look: numbers in a table of colours, as runs
    // of one colour and pieces of single pixels row by row, or the pixels
    // themselves when the area has more than 256 colours.
    struct Tile {
        QRect area;
        std::vector<ItemLook> look;
        std::vector<QRgb> colours;
        std::vector<uchar> pixels;
        quint64 lastUse = 0;
        qsizetype bytes() const;
    };
    void lookOf(const QRect &area, std::vector<ItemLook> &look);
    // The items that may paint on an area, in painting order.
    const std::vector<int> &nearItems(const QRect &area); // valid until the next call
    static QRect cellsOf(const QRect &r);
    static quint64 areaKey(const QRect &area);
    static constexpr int kCell = 32;
    static constexpr qreal kFilingMargin = 4;
    bool keepsTiles(const QRect &area) const;
    // Device pixels of an area whose corner lies at a device point of an
    // image, and the corner's place in a band whose first row is top.
    QRect deviceRect(QPoint at, const QRect &area) const;
    QPoint inBand(int top, const QRect &area) const;
    Tile *findTile(const QRect &area, const std::vector<ItemLook> &look);
    void decode(Tile &t, QImage &target, QPoint at);
    bool restoreTile(QImage &target, QPoint at, const QRect &area);
    void keepTile(const QImage &source, QPoint at, const QRect &area);
    void keepTile(const QImage &source, QPoint at, const QRect &area, const std::vector<ItemLook> &look);
    void lookBefore(const QRect &area, const std::vector<ItemLook> &now, std::vector<ItemLook> &before) const;

    KeyboardArt::KeyboardPicture m_picture;
    QImage m_band;  // a band of the picture, rendered to be shown
    QImage m_base;  // the whole picture, while the hands are drawn
    QImage m_stage; // the picture with the hands over it, while they are drawn
    std::vector<QRect> m_stale; // areas changed since they were shown
    qreal m_tileDpr = 0;        // the density of the band and of the kept looks
    std::array<Sprite, 2> m_sprites{};
    qreal m_spriteDpr = 0; // density of the sprites; 0 before the hands are first drawn
    QSize m_handSize;
    std::array<QPoint, 2> m_handAt{};
    bool m_handsDrawn = false;
    std::vector<LaidOutText> m_texts; // the text items laid out, by item index
    QHash<quint64, std::vector<Tile>> m_tiles; // rendered looks of changed areas, by area
    std::size_t m_tileCount = 0;
    qsizetype m_tileBytes = 0;
    quint64 m_tileClock = 0;
    std::vector<ItemLook> m_look;      // the look of the area being rendered
    std::vector<ItemLook> m_lookBefore; // and the look it replaces
    // Key tops changed since the last paint, as they were; whether the
    // screen shows the picture as it was then, everywhere.
    std::vector<std::pair<int, KeyboardArt::Item>> m_before;
    bool m_paintedWhole = false; // the first whole paint is done
    bool m_screenKnown = false;
    bool m_keepFromScreen = false; // during a paint: m_screenKnown as it began
    bool m_allOnScreen = true;     // during a paint: every part written to the screen
    std::array<QRect, kMaxKeyNumber + 1> m_keyCells{};
    std::vector<QRgb> m_row;           // a row of a kept look, spelled out
    // The items filed by the cells of a grid over the picture.
    std::vector<std::vector<qint16>> m_cells;
    std::vector<QRectF> m_filed; // each item's reach, with a margin, when it was filed
    bool m_gridStale = true;
    std::vector<quint32> m_seen;
    quint32 m_query = 0;
    std::vector<int> m_near;
    QHash<quint64, std::vector<int>> m_nearAreas; // the items near each area asked about
    std::vector<KeyLook> m_toPrepare; // looks to render while idle, the next one last
    QTimer *m_prepareTimer = nullptr;
};
