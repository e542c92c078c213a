// The floor for start-up, memory and idle figures: an empty Qt Widgets main
// window of the tutor's outer size, built with the same compiler, flags and Qt.
//
// With --keys it is also the floor of a keystroke's way to the screen: a key
// press fills one key-sized cell where the tutor draws its keyboard and the
// release clears it, the least a window can do to show a keystroke.
//
// With --text it is the floor of a window that shows what the tutor's first
// screen shows in writing: a menu bar of its Chinese titles and its captions,
// each in the Ming face at its size and place, nothing else. What
// this costs above the empty window is the price of the fonts and the text
// stack (fontconfig, FreeType, HarfBuzz, Qt's text code), which no window
// showing these texts avoids.
//
// With --screen it is the floor of the tutor's whole first screen: the same
// writing in the same controls, built the plainest way Qt Widgets offers and
// doing nothing else. The menu bar, the labels, the two frames with their
// option buttons (compacted by the same style sheet), the three push buttons
// and the text window's sunken frame and scroll bar are Qt's own widgets; the
// two meters and the Caps Lock lamp are sunken panels and a circle; the
// keyboard is a picture of its size made in memory, where the tutor reads its
// kept picture from a file. Every part does at most what the tutor's does.

#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>
#include <qdrawutil.h>

namespace {

class KeyCell : public QWidget
{
public:
    // The cell: a key of the tutor's home row, inside its keyboard picture.
    static constexpr QRect Cell{300, 360, 40, 40};

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!event->isAutoRepeat())
            setDown(true);
    }
    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (!event->isAutoRepeat())
            setDown(false);
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(Cell, down ? Qt::darkBlue : Qt::lightGray);
    }

private:
    void setDown(bool on)
    {
        down = on;
        update(Cell);
    }
    bool down = false;
};

// The first screen's labels beside the meters and counters, in the Ming face
// at 9.75 points, where the tutor shows them.
struct Caption {
    const char *text;
    QRect place;
};
constexpr Caption kLabels[] = {
    {"0%", {8, 28, 21, 17}},           {"50%", {140, 28, 21, 17}},         {"100%", {264, 28, 33, 17}},
    {"烏龜", {344, 28, 29, 17}},       {"黃牛", {416, 28, 29, 17}},       {"野兔", {480, 28, 29, 17}},
    {"羚羊", {532, 28, 29, 17}},       {"獵豹", {568, 28, 29, 17}},       {"打字時間：", {636, 4, 73, 13}},
    {"0:0:0", {712, 4, 69, 13}},       {" 正確按鍵：", {632, 20, 73, 13}}, {"0", {700, 20, 77, 13}},
    {"錯誤按鍵：", {636, 36, 73, 13}}, {"0", {704, 36, 73, 13}},
};

// A sunken panel with a white inside, as the meters are drawn.
class Panel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QBrush white(Qt::white);
        qDrawShadePanel(&p, rect(), palette(), true, 2, &white);
    }
};

// The Caps Lock lamp: a grey circle.
class Lamp : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::gray);
        p.drawEllipse(QRectF(1, 3, 11, 11));
    }
};

// The keyboard: one picture of its size, made once and shown whole.
class Picture : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (image.isNull()) {
            image = QImage(size(), QImage::Format_RGB32);
            image.fill(QColor(192, 192, 192));
        }
        QPainter p(this);
        p.drawImage(0, 0, image);
    }

private:
    QImage image;
};

void buildScreen(QMainWindow &window, QWidget *page, const QFont &ming)
{
    page->setFont(ming);
    QPalette grey = window.palette();
    grey.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    window.setPalette(grey);
    // The meters and their scales.
    for (int x : {12, 328})
        (new Panel(page))->setGeometry(x, 4, 271, 21);
    for (const Caption &c : kLabels) {
        auto *label = new QLabel(QString::fromUtf8(c.text), page);
        label->setGeometry(c.place);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    (new Lamp(page))->setGeometry(540, 52, 13, 17);
    auto *caps = new QLabel(QStringLiteral("Caps Lock"), page);
    caps->setGeometry(536, 72, 29, 29);
    caps->setWordWrap(true);
    caps->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // The two frames of options.
    struct Options {
        const char *title;
        QRect place;
        std::initializer_list<std::pair<const char *, QRect>> options;
    };
    const Options frames[] = {
        {"鍵盤設定", {24, 52, 233, 45},
         {{"小Enter鍵", {8, 16, 77, 21}}, {"\\ 鍵在上", {84, 16, 69, 21}}, {"\\ 鍵在下", {160, 16, 69, 21}}}},
        {"等級設定", {280, 52, 237, 45},
         {{"初學", {8, 16, 49, 21}}, {"入門", {64, 16, 53, 21}}, {"一般", {120, 16, 53, 21}},
          {"飆速", {180, 16, 49, 21}}}},
    };
    for (const Options &f : frames) {
        auto *box = new QGroupBox(QString::fromUtf8(f.title), page);
        box->setGeometry(f.place);
        bool first = true;
        for (const auto &[text, place] : f.options) {
            auto *option = new QRadioButton(QString::fromUtf8(text), box);
            option->setGeometry(place);
            option->setChecked(first);
            first = false;
        }
        box->setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"));
    }

    // The buttons, Start with the focus.
    auto button = [page](const char *text, QRect place) {
        auto *b = new QPushButton(QString::fromUtf8(text), page);
        b->setGeometry(place);
        return b;
    };
    QPushButton *start = button("開  始", {732, 56, 49, 25});
    QFont nine = ming;
    nine.setPointSizeF(9);
    start->setFont(nine);
    button("隱藏鍵盤", {576, 56, 81, 25});
    button("關  閉", {668, 56, 53, 25});
    start->setFocus();

    // The text window: a sunken white frame with its scroll bar.
    auto *text = new QFrame(page);
    text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    text->setLineWidth(2);
    text->setAutoFillBackground(true);
    QPalette white = text->palette();
    white.setColor(QPalette::Window, Qt::white);
    text->setPalette(white);
    text->setGeometry(8, 108, 777, 130);
    auto *bar = new QScrollBar(Qt::Vertical, text);
    bar->setGeometry(754, 2, 21, 125);
    bar->setRange(0, 0);

    (new Picture(page))->setGeometry(32, 244, 745, 281);
}

// Every caption of the first screen as a plain label, in its face and size,
// where the tutor shows it.
void buildText(QWidget *page, const QFont &ming)
{
    struct SizedCaption {
        const char *text;
        qreal points;
        QRect place;
    };
    static const SizedCaption others[] = {
        {"Caps Lock", 9.75, {536, 72, 29, 29}},  {"鍵盤設定", 9.75, {32, 52, 60, 13}},
        {"小Enter鍵", 9.75, {48, 70, 61, 17}},   {"\\ 鍵在上", 9.75, {124, 70, 53, 17}},
        {"\\ 鍵在下", 9.75, {200, 70, 53, 17}}, {"等級設定", 9.75, {288, 52, 60, 13}},
        {"初學", 9.75, {304, 70, 33, 17}},       {"入門", 9.75, {360, 70, 37, 17}},
        {"一般", 9.75, {416, 70, 37, 17}},       {"飆速", 9.75, {476, 70, 33, 17}},
        {"開  始", 9, {740, 60, 41, 17}},        {"隱藏鍵盤", 9.75, {584, 60, 73, 17}},
        {"關  閉", 9.75, {676, 60, 45, 17}},
    };
    auto add = [page, &ming](const char *text, qreal points, QRect place) {
        auto *label = new QLabel(QString::fromUtf8(text), page);
        QFont font = ming;
        font.setPointSizeF(points);
        label->setFont(font);
        label->setGeometry(place);
        label->setWordWrap(true);
    };
    for (const Caption &c : kLabels)
        add(c.text, 9.75, c.place);
    for (const SizedCaption &c : others)
        add(c.text, c.points, c.place);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    // The tutor's window at 96 dots per inch: 794 wide, its client area of
    // 535 and its menu bar of 18.
    window.setFixedSize(794, 535 + 18);
    const bool screen = app.arguments().contains(QStringLiteral("--screen"));
    if (screen || app.arguments().contains(QStringLiteral("--text"))) {
        QFont ming(QStringLiteral("AR PL UMing TW"));
        ming.setPointSizeF(9.75);
        window.menuBar()->setFont(ming);
        for (const char *title : {"開啟檔案及中斷(&F)", "基本課程(&B)", "詩詞選練(&D)", "短文選練(&C)",
                                  "紀錄(&R)", "說明(E)"})
            window.menuBar()->addMenu(QString::fromUtf8(title));
        auto *page = new QWidget;
        if (screen)
            buildScreen(window, page, ming);
        else
            buildText(page, ming);
        window.setCentralWidget(page);
    }
    if (app.arguments().contains(QStringLiteral("--keys"))) {
        auto *cell = new KeyCell;
        cell->setFocusPolicy(Qt::StrongFocus);
        window.setCentralWidget(cell);
        cell->setFocus();
    }
    window.show();
    return app.exec();
}
