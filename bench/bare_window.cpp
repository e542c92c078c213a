// The floor for start-up, memory and idle figures: an empty Qt Widgets main
// window of the tutor's outer size, built with the same compiler, flags and Qt.
//
// With --keys it is also the floor of a keystroke's way to the screen: a key
// press fills one key-sized cell where the tutor draws its keyboard and the
// release clears it, the least a window can do to show a keystroke.
//
// With --text it is the floor of a window that shows what the tutor's first
// screen shows in writing: a menu bar of Chinese titles in the Ming face, a
// line in the Kai face and figures in Liberation Sans, nothing else. What
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
        auto *page = new QWidget;
        auto *line = new QLabel(QStringLiteral("春眠不覺曉，處處聞啼鳥。夜來風雨聲，花落知多少。"), page);
        QFont kai(QStringLiteral("AR PL UKai TW"));
        kai.setPointSizeF(15.75);
        line->setFont(kai);
        line->setGeometry(24, 120, 740, 40);
        auto *figures = new QLabel(QStringLiteral("0  00:00  0.00"), page);
        QFont sans(QStringLiteral("Liberation Sans"));
        sans.setPointSizeF(9.75);
        figures->setFont(sans);
        figures->setGeometry(24, 180, 200, 20);
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
