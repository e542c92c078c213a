// Where the tutor's start-up time goes, step by step in one fresh process
// (offscreen platform): what an empty main window needs, then the font
// configuration, the first captions, the window's construction and its first
// paint, the keyboard's picture apart. Each step is timed cold, as a
// learner's start-up meets it, in 7 fresh processes; the medians are printed.
// It asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "view/Fonts.h"
#include "app/Form1.h"
#include "keyboard/KeyboardView.h"
#include "practice/Lessons.h"

namespace {

constexpr int kRuns = 7;
constexpr char kChild[] = "QUILLORY_BENCH_STARTUP_CHILD";

QElapsedTimer g_step;

void step(const char *what)
{
    std::printf("%s\t%.3f\n", what, g_step.nsecsElapsed() / 1e6);
    g_step.restart();
}

// Runs this program kRuns times as a child and prints each step's median.
int parent(const char *self)
{
    std::vector<QString> order;
    std::map<QString, std::vector<double>> ms;
    for (int i = 0; i < kRuns; ++i) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChild), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QString::fromLocal8Bit(self), {});
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            return 1;
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() != 2)
                continue;
            const QString what = QString::fromUtf8(f[0]);
            if (!ms.count(what))
                order.push_back(what);
            ms[what].push_back(f[1].toDouble());
        }
    }
    std::printf("start-up step by step, offscreen, medians of %d fresh processes:\n", kRuns);
    for (const QString &what : order) {
        std::vector<double> &v = ms[what];
        std::sort(v.begin(), v.end());
        std::printf("  %-66s %7.2f ms\n", qPrintable(what), v[v.size() / 2]);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty(kChild))
        return parent(argv[0]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_step.start();
    QApplication app(argc, argv);
    step("QApplication");
    {
        QMainWindow empty;
        empty.setFixedSize(794, 553);
        QImage image(empty.size(), QImage::Format_RGB32);
        empty.render(&image);
    }
    step("an empty main window, constructed and painted (the floor)");

    (void)QFontDatabase::families();
    step("font configuration read and the font list built (fontconfig)");
    const QFontMetrics menu(Fonts::ming(9.75));
    for (const char *title : {"開啟檔案及中斷(&F)", "基本課程(&B)", "詩詞選練(&D)", "短文選練(&C)", "說明(E)"})
        (void)menu.horizontalAdvance(QString::fromUtf8(title));
    step("first Chinese captions: the menu bar's font and its titles");

    (void)Lessons::count(Lessons::Menu::Base);
    step("the built-in texts' catalogue, for the lesson menus");
    Form1 form;
    step("the main window constructed (less the above)");
    {
        QImage image(KeyboardView::kWidth, KeyboardView::kHeight, QImage::Format_RGB32);
        KeyboardView keyboard;
        keyboard.render(&image);
        step("the keyboard's first paint: 8 fonts, their glyphs and shapes");
        KeyboardView again;
        again.render(&image);
        step("the keyboard painted again, glyphs cached");
    }
    QImage window(form.size(), QImage::Format_RGB32);
    form.render(&window);
    step("the main window's first paint, the keyboard's fonts already loaded");
    form.render(&window);
    step("the main window painted again");
    return 0;
}
