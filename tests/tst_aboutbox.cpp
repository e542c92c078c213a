#include <QtTest>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "view/AppInfo.h"
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
        QCOMPARE(box.Command1->text(), QStringLiteral("OK"));
        QCOMPARE(box.size(), QSize(281, 240));
    }

    // Every text shows whole, and nothing overlaps: the labels and the logo
    // inside the frame, and the captions inside their buttons. Run again on a
    // screen of twice the density.
    void nothingOverlapsOrClips()
    {
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QList<QLabel *> labels = box.Frame1->findChildren<QLabel *>();
        QCOMPARE(labels.size(), 7);
        for (QLabel *l : labels) {
            const QString name = l->objectName();
            QVERIFY2(box.Frame1->contentsRect().contains(l->geometry()), qPrintable(name));
            if (l == box.imgLogo)
                continue;
            const QSize need = l->wordWrap() ? QSize(l->width(), l->heightForWidth(l->width())) : l->sizeHint();
            QVERIFY2(l->width() >= need.width() && l->height() >= need.height(),
                     qPrintable(QStringLiteral("%1 clipped: %2x%3 for %4x%5")
                                    .arg(name).arg(l->width()).arg(l->height()).arg(need.width()).arg(need.height())));
            for (QLabel *other : labels) {
                QVERIFY2(other == l || !l->geometry().intersects(other->geometry()),
                         qPrintable(name + QStringLiteral(" overlaps ") + other->objectName()));
            }
        }
        QVERIFY2(box.cmdPage->sizeHint().width() <= box.cmdPage->width(), qPrintable(box.cmdPage->text()));
        QVERIFY(!box.cmdPage->geometry().intersects(box.Command1->geometry()));
    }

    // The home page button leads somewhere real: the address the program was
    // built with, or the documentation installed with it.
    void homePageIsReal()
    {
        const FrmSplash::HomePage page = FrmSplash::homePage();
        QVERIFY(page.url.isValid());
        for (const char *placeholder : {"example.org", "example.com", "example.net", ".example", ".invalid", ".test"})
            QVERIFY2(!page.url.host().endsWith(QLatin1String(placeholder)), qPrintable(page.url.toString()));
        if (AppInfo::homePage().isEmpty()) {
            QVERIFY(page.url.isLocalFile());
            QFile doc(page.url.toLocalFile());
            QVERIFY2(doc.open(QIODevice::ReadOnly), qPrintable(page.url.toLocalFile()));
            QVERIFY(doc.readLine().startsWith("# Quillory"));
        }
        FrmSplash box(nullptr);
        QCOMPARE(box.cmdPage->toolTip(), page.caption);
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
        QCOMPARE(opened, QList<QUrl>{FrmSplash::homePage().url});
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
        QVERIFY(shownText.contains(FrmSplash::homePage().caption));
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

    void tabMovesBetweenTheButtons()
    {
        FrmSplash box(nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box.cmdPage);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box.Command1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), box.cmdPage);
        QVERIFY(box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
