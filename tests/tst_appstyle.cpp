// The program's style draws what Fusion draws, without loading Qt's
// image-format plugins to do it.

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTest>

#include "view/AppStyle.h"
#include "view/Fonts.h"

namespace {

QImage boxPicture()
{
    QGroupBox box(QStringLiteral("鍵盤設定"));
    box.setFont(Fonts::kai(9));
    box.setGeometry(0, 0, 233, 45);
    box.setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"));
    auto *option = new QRadioButton(QStringLiteral("小Enter鍵"), &box);
    option->setGeometry(8, 16, 77, 21);
    return box.grab().toImage();
}

bool pluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("/imageformats/");
}

} // namespace

class TestAppStyle : public QObject
{
    Q_OBJECT

private slots:
    void drawsAsFusionWithoutPlugins()
    {
        if (!QFile::exists(QStringLiteral("/proc/self/maps")))
            QSKIP("needs /proc");
        QApplication::setStyle(makeAppStyle());
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("檔案(&F)"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage ours = boxPicture();
        QVERIFY(!pluginsLoaded());

        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QCOMPARE(ours, boxPicture());
    }
};

QTEST_MAIN(TestAppStyle)
#include "tst_appstyle.moc"
