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

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMainWindow>
#include <QPainter>
#include <QWidget>

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    // The tutor's window at 96 dots per inch: 794 wide, its client area of
    // 535 and its menu bar of 18.
    window.setFixedSize(794, 535 + 18);
    if (app.arguments().contains(QStringLiteral("--text"))) {
        QFont ming(QStringLiteral("AR PL UMing TW"));
        ming.setPointSizeF(9.75);
        window.menuBar()->setFont(ming);
        for (const char *title : {"開啟檔案及中斷(&F)", "基本課程(&B)", "詩詞選練(&D)", "短文選練(&C)",
                                  "紀錄(&R)", "說明(E)"})
            window.menuBar()->addMenu(QString::fromUtf8(title));
        // Every caption of the first screen, in its face and size, where the
        // tutor shows it.
        struct Caption {
            const char *text;
            qreal points;
            QRect place;
        };
        static const Caption captions[] = {
            {"0%", 9.75, {8, 28, 21, 17}},           {"50%", 9.75, {140, 28, 21, 17}},
            {"100%", 9.75, {264, 28, 33, 17}},       {"烏龜", 9.75, {344, 28, 29, 17}},
            {"黃牛", 9.75, {416, 28, 29, 17}},       {"野兔", 9.75, {480, 28, 29, 17}},
            {"羚羊", 9.75, {532, 28, 29, 17}},       {"獵豹", 9.75, {568, 28, 29, 17}},
            {"打字時間：", 9.75, {636, 4, 73, 13}},  {"0:0:0", 9.75, {712, 4, 69, 13}},
            {" 正確按鍵：", 9.75, {632, 20, 73, 13}}, {"0", 9.75, {700, 20, 77, 13}},
            {"錯誤按鍵：", 9.75, {636, 36, 73, 13}}, {"0", 9.75, {704, 36, 73, 13}},
            {"Caps Lock", 9.75, {536, 72, 29, 29}},  {"鍵盤設定", 9.75, {32, 52, 60, 13}},
            {"小Enter鍵", 9.75, {48, 70, 61, 17}},   {"\\ 鍵在上", 9.75, {124, 70, 53, 17}},
            {"\\ 鍵在下", 9.75, {200, 70, 53, 17}}, {"等級設定", 9.75, {288, 52, 60, 13}},
            {"初學", 9.75, {304, 70, 33, 17}},       {"入門", 9.75, {360, 70, 37, 17}},
            {"一般", 9.75, {416, 70, 37, 17}},       {"飆速", 9.75, {476, 70, 33, 17}},
            {"開  始", 9, {740, 60, 41, 17}},        {"隱藏鍵盤", 9.75, {584, 60, 73, 17}},
            {"關  閉", 9.75, {676, 60, 45, 17}},
        };
        auto *page = new QWidget;
        for (const Caption &c : captions) {
            auto *label = new QLabel(QString::fromUtf8(c.text), page);
            QFont font = ming;
            font.setPointSizeF(c.points);
            label->setFont(font);
            label->setGeometry(c.place);
            label->setWordWrap(true);
        }
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
