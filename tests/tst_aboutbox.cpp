#include <QtTest>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/AppInfo.h"
#include "app/FrmSplash.h"

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("quarter of width and height") << 1000 << 1000 << 9000 << 7000 << QPoint(3250, 2750);
        QTest::newRow("fraction dropped") << 0 << 0 << 4003 << 4003 << QPoint(1000, 1000);
        QTest::newRow("window off to the left") << -3000 << 0 << 8000 << 400 << QPoint(-1000, 100);
    }
    void placement()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QPoint, expected);
        QCOMPARE(AboutBoxPosition(left, top, width, height), expected);
    }

    void placedFromMainWindow()
    {
        QWidget main;
        main.setGeometry(100, 80, 600, 400); // 9000 × 6000 twips
        main.show();
        FrmSplash box(&main);
        const QRect f = main.frameGeometry();
        QCOMPARE(box.pos(), QPoint(f.left() + f.width() / 4, f.top() + f.height() / 4));
    }

    void texts()
    {
        FrmSplash box(nullptr);
        QCOMPARE(box.lblCompanyProduct->text(), QStringLiteral("Quillory注音打字練習"));
        QCOMPARE(box.lblNote->text(), QStringLiteral("注音打字的指法及鍵位熟悉練習。"));
        QCOMPARE(box.lblVersion->text(), QStringLiteral("版本 %1.%2.%3")
                                             .arg(QUILLORY_VERSION_MAJOR)
                                             .arg(QUILLORY_VERSION_MINOR)
                                             .arg(QUILLORY_VERSION_PATCH));
        QVERIFY(!box.lblProductName->text().isEmpty());
        QVERIFY(!box.lblCopyright->text().isEmpty());
        QVERIFY(!box.lblCompany->text().isEmpty());
        QCOMPARE(box.cmdPage->text(), AppInfo::homePage());
        QCOMPARE(box.Command1->text(), QStringLiteral("OK"));
        QVERIFY(box.windowTitle().isEmpty());
        QCOMPARE(box.size(), QSize(281, 240));
        // Labels sized to their text stay inside the frame.
        for (QLabel *l : box.Frame1->findChildren<QLabel *>())
            QVERIFY2(box.Frame1->rect().contains(l->geometry()), qPrintable(l->objectName()));
    }

    void version()
    {
        QCOMPARE(AppInfo::versionText().left(3), QStringLiteral("版本 "));
        QVERIFY(QRegularExpression(QStringLiteral("^版本 \\d+\\.\\d+\\.\\d+$"))
                    .match(AppInfo::versionText()).hasMatch());
    }

    void clicksClose_data()
    {
        QTest::addColumn<QString>("target");
        for (const char *name : {"frmSplash", "Frame1", "imgLogo", "lblProductName", "lblCompanyProduct",
                                 "lblVersion", "lblCopyright", "lblCompany", "lblNote", "Command1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void clicksClose()
    {
        QFETCH(QString, target);
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QWidget *w = target == QLatin1String("frmSplash") ? &box : box.findChild<QWidget *>(target);
        QVERIFY(w);
        QPoint at = w->rect().center();
        if (w == &box)
            at = QPoint(2, box.height() - 2); // the empty strip below the frame's left end
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void pageButtonKeepsTheBoxOpen()
    {
        QList<QUrl> opened;
        FrmSplash::openUrl = [&](const QUrl &u) { opened << u; return true; };
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.cmdPage, Qt::LeftButton);
        QVERIFY(box.isVisible());
        QCOMPARE(opened, QList<QUrl>{QUrl(AppInfo::homePage())});
    }

    void pageFailureIsReported()
    {
        FrmSplash::openUrl = [](const QUrl &) { return false; };
        FrmSplash box(nullptr);
        box.show();
        QString shownText;
        QString fontFamily;
        QTimer::singleShot(0, [&] {
            auto *mb = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (mb) {
                shownText = mb->text();
                fontFamily = QFontInfo(mb->font()).family();
                QCOMPARE(mb->windowTitle(), AppInfo::title());
                QCOMPARE(mb->icon(), QMessageBox::Warning);
                mb->accept();
            }
        });
        box.cmdPage_Click();
        QVERIFY(shownText.contains(AppInfo::homePage()));
        QCOMPARE(fontFamily, QFontInfo(box.font()).family()); // the box's, not the desktop's
        QVERIFY(box.isVisible());
    }

    void anyCharacterKeyCloses_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter on OK") << QStringLiteral("Command1") << QStringLiteral("a");
        QTest::newRow("letter on page button") << QStringLiteral("cmdPage") << QStringLiteral("x");
        QTest::newRow("space on page button") << QStringLiteral("cmdPage") << QStringLiteral(" ");
    }
    void anyCharacterKeyCloses()
    {
        QFETCH(QString, focus);
        QFETCH(QString, text);
        QList<QUrl> opened;
        FrmSplash::openUrl = [&](const QUrl &u) { opened << u; return true; };
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QWidget *w = box.findChild<QWidget *>(focus);
        w->setFocus();
        QTest::keyClick(w, text.at(0).toLatin1());
        QVERIFY(!box.isVisible());
        QVERIFY(opened.isEmpty()); // the key closed the box, it did not press the button
    }

    // Enter, unlike the other character keys, presses the focused button.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("keypad");
        QTest::newRow("Return on the page button") << QStringLiteral("cmdPage") << false;
        QTest::newRow("keypad Enter on the page button") << QStringLiteral("cmdPage") << true;
        QTest::newRow("Return on OK") << QStringLiteral("Command1") << false;
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, focus);
        QFETCH(bool, keypad);
        QList<QUrl> opened;
        FrmSplash::openUrl = [&](const QUrl &u) { opened << u; return true; };
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QWidget *w = box.findChild<QWidget *>(focus);
        w->setFocus();
        const Qt::Key key = keypad ? Qt::Key_Enter : Qt::Key_Return;
        const Qt::KeyboardModifiers mods = keypad ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::sendKeyEvent(QTest::Press, w, key, QStringLiteral("\r"), mods);
        QTest::sendKeyEvent(QTest::Release, w, key, QStringLiteral("\r"), mods);
        const bool page = w == box.cmdPage;
        QCOMPARE(box.isVisible(), page);
        QCOMPARE(opened.size(), page ? 1 : 0);
    }

    void okHasTheFocus()
    {
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(QApplication::focusWidget(), box.Command1);
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
