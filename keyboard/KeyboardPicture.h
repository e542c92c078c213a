#pragma once
// The drawn keyboard as data: every element of the picture (key shadows, key
// tops, legends, arrows, the hand boundary, the finger legend, the big-Enter
// parts, the home-key bars and captions) with its layer, place, colours and
// visibility; the three keyboard layouts; and the states of the key tops.
// Views paint the items in order; nothing here knows a widget.

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>
#include <array>
#include <vector>

#include "practice/KeyCatalogue.h"

namespace KeyboardArt {

// The picture's size in pixels and its background (the window's light grey).
constexpr int kWidth = 745;
constexpr int kHeight = 281;
constexpr VbColor kBackground = Palette::WindowGrey;

// Corner radius of the rounded key tops and shadows, and of the finger
// legend's squares.
constexpr qreal kKeyRadius = 5;
constexpr qreal kSquareRadius = 3;

enum class Shape : quint8 {
    RoundedRect, // key tops, shadows, the finger legend's squares
    Rect,        // the big-Enter parts, the home-key bars
    Line,
    Text,        // legends and captions: transparent unless filled
};

enum class FontRole : quint8 { Ming, Kai, Arial };

struct FontChoice {
    FontRole role = FontRole::Ming;
    float points = 9.75f;
    bool bold = false;
    friend constexpr bool operator==(const FontChoice &, const FontChoice &) = default;
};

// The control arrays an item belongs to. Key tops are indexed by key number,
// shadows by their ShpKey number, legends by their LblTit number, and the
// other elements by Element.
enum class Group : quint8 { Shape1, ShpKey, LblTit, Other };

enum class Element : quint8 {
    shpBigEnt_1, // shadow of the big Enter's upper part
    Shape2_0, Shape2_1, Shape2_2, Shape2_3, Shape2_4, Shape2_5, Shape2_6, Shape2_7, Shape2_8,
    Label2_8, Label2_9, Label2_10, Label2_11, Label2_12, Label2_13, Label2_14, Label2_15, Label2_16,
    Line5_0, Line5_1, Line5_2, Line5_3, Line6, Line7, Line8, // hand boundary
    Line4, Line1_1, Line2_1, Line3_1,                        // Enter arrow
    Line1_0, Line2_0, Line3_0,                               // Backspace arrow
    shpBigEnt_0,                                             // big Enter's upper part
    Line11, Line12, Line13,                                  // its outline
    Shape3_0, Shape3_1,                                      // home-key bars on J and F
    lblBaseKey_0, lblBaseKey_1,                              // home-key captions
    linBaseKey_0, linBaseKey_1,                              // their pointer lines
    Count
};

struct ItemRef {
    Group group;
    qint16 index;
    friend constexpr bool operator==(const ItemRef &, const ItemRef &) = default;
};

constexpr ItemRef keyTopRef(KeyNumber k) { return {Group::Shape1, k}; }
constexpr ItemRef shadowRef(int i) { return {Group::ShpKey, static_cast<qint16>(i)}; }
constexpr ItemRef legendRef(int i) { return {Group::LblTit, static_cast<qint16>(i)}; }
constexpr ItemRef elementRef(Element e) { return {Group::Other, static_cast<qint16>(e)}; }

// The three legends that the layouts move or hide.
constexpr int kBackspaceLegend = 52;
constexpr int kBarLegend = 57;
constexpr int kBackslashLegend = 58;
constexpr int kLegendCount = 120;
constexpr int kShadowCount = 65; // ShpKey(0..64), with gaps

// One drawn element. Coordinates are pixels of the picture.
struct Item {
    ItemRef ref{};
    Shape shape = Shape::Rect;
    quint8 layer = 0;        // 1 (bottom) … 16 (top)
    QRectF rect;             // shapes and text boxes
    QLineF line;             // lines
    bool filled = false;     // shapes: solid fill; texts: opaque background
    VbColor fill = Palette::Black;
    VbColor pen = Palette::Black; // border, line or text colour
    int penWidth = 0;        // border or line width; 0: no border
    qreal radius = 0;        // corner radius of rounded rectangles
    bool visible = true;
    QString text;
    FontChoice font{};
    bool wordWrap = false;
    QString name;            // the control's name, "Shape1(65)", "Line1(0)"

    // The area the item may paint on, for partial repaints.
    QRectF paintedBounds() const;
};

// The areas of the picture that look different after a change.
using Damage = QList<QRectF>;

// The option buttons of the layouts: "小Enter鍵", "\ 鍵在上", "\ 鍵在下".
constexpr int kLayoutCount = 3;

// The keys whose key tops the layouts move; their rest positions follow.
constexpr std::array<KeyNumber, 3> kMovableKeys{8, 92, 3};

class KeyboardPicture {
public:
    // The picture as drawn: the "小Enter鍵" layout, the big-Enter parts and
    // the home-key captions hidden.
    KeyboardPicture();

    // Every item, in painting order: by layer, bottom to top.
    const std::vector<Item> &items() const { return m_items; }

    const Item *item(ItemRef ref) const;
    const Item *keyTop(KeyNumber k) const { return item(keyTopRef(k)); }
    const Item *shadow(int index) const { return item(shadowRef(index)); }
    const Item *legend(int index) const { return item(legendRef(index)); }
    const Item *element(Element e) const { return item(elementRef(e)); }

    // Key-top states. Each change returns what it damaged (nothing when the
    // value was already set).
    Damage moveKeyTop(KeyNumber k, qreal left, qreal top);
    Damage setKeyBorder(KeyNumber k, VbColor color, int width);
    Damage setKeyFill(KeyNumber k, VbColor color);

    Damage setVisible(ItemRef ref, bool visible);
    // The home-key captions lblBaseKey(0..1) with their pointer lines.
    Damage setHomeCaptionsVisible(bool visible);
    bool homeCaptionsVisible() const;

    // Applies the column of the layout table for option 0, 1 or 2, row by
    // row; any other option applies nothing.
    Damage applyLayout(int option);
    // The upper part of the big Enter takes the Enter key top's current fill.
    Damage matchBigEnterToEnterKey();

private:
    Item *find(ItemRef ref);
    template <typename Change>
    Damage change(ItemRef ref, Change &&apply);

    std::vector<Item> m_items;
    std::array<qint16, kMaxKeyNumber + 1> m_keyTops{};
    std::array<qint16, kShadowCount> m_shadows{};
    std::array<qint16, kLegendCount> m_legends{};
    std::array<qint16, static_cast<int>(Element::Count)> m_elements{};
};

} // namespace KeyboardArt
