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

#include <QFont>
#include <QHash>
#include <QImage>
#include <QWidget>
#include <array>
#include <vector>

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

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Sprite {
        QImage hand; // the hand on black
        QImage mask; // black where the hand is, white elsewhere
    };

    void apply(const KeyboardArt::Damage &damage);
    void markStale(QRect area);
    void renderStale();
    void ensureCanvas();
    void renderPicture(const QRect &area);
    void composeHands(const QRect &area);
    void loadSprites(qreal dpr);
    void ensureSprites(); // the sprites at the canvas's density
    QRectF devicePixels(const QRect &r) const;
    const QFont &fontOf(const KeyboardArt::FontChoice &choice);

    KeyboardArt::KeyboardPicture m_picture;
    QImage m_base;  // the keyboard picture
    QImage m_stage; // the picture with the hands over it, while they are drawn
    std::vector<QRect> m_stale; // areas of m_base changed since they were rendered
    std::array<Sprite, 2> m_sprites{};
    qreal m_spriteDpr = 0; // density of the sprites; 0 before the hands are first drawn
    QSize m_handSize;
    std::array<QPoint, 2> m_handAt{};
    bool m_handsDrawn = false;
    QHash<quint32, QFont> m_fonts;
};
