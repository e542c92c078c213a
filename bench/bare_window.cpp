// The floor for start-up, memory and idle figures: an empty Qt Widgets main
// window of the tutor's outer size, built with the same compiler, flags and Qt.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    // The tutor's window at 96 dots per inch: 794 wide, its client area of
    // 535 and its menu bar of 18.
    window.setFixedSize(794, 535 + 18);
    window.show();
    return app.exec();
}
