#include "FormTestUtil.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/FrmOpen.h"
#include "practice/Big5.h"
#include "practice/PracticeFile.h"

namespace {

// Answers the open dialog once it shows: opens `name` in `dir`, or cancels.
void answerDialog(const QString &dir, const QString &name, bool cancel = false)
{
    QTimer::singleShot(0, [=] {
        auto *d = qobject_cast<FrmOpen *>(QApplication::activeModalWidget());
        if (!d)
            return;
        d->setDirPath(dir);
        if (cancel) {
            d->CancelButton->click();
            return;
        }
        d->txtFileName->setText(name);
        d->OKButton->click();
    });
}

} // namespace

class TestOpenFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write");
        f.write(bytes);
        return f.fileName();
    }

private slots:
    void initTestCase()
    {
        write(QStringLiteral("ctype.txt"), "大ㄉㄚˋ\r\n學ㄒㄩㄝˊ\r\n，\r\n");
        write(QStringLiteral("UPPER.TXT"), "中ㄓㄨㄥ\n");
        write(QStringLiteral("notes.md"), "x");
        write(QStringLiteral("big5.txt"), Big5::encode(QStringLiteral("大ㄉㄚˋ\r\n學ㄒㄩㄝˊ\r\n")));
        write(QStringLiteral("empty-lines.txt"), "\r\n\r\n");
        QByteArray many;
        for (int i = 0; i < 5001; ++i)
            many += "中ㄓㄨㄥ\n";
        write(QStringLiteral("5001.txt"), many);
        write(QStringLiteral("long.txt"), "長" + QByteArray(40000 * 3, 'x').replace("xxx", "ㄅ") + "\n");
        QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt"));
    }

    void dialogLists()
    {
        FrmOpen d(nullptr, m_dir.path());
        QCOMPARE(d.windowTitle(), QStringLiteral("開啟檔案"));
        QCOMPARE(d.size(), QSize(490, 271));
        QStringList files;
        for (int i = 0; i < d.File1->count(); ++i)
            files << d.File1->item(i)->text();
        // "*.txt" in any letter case; folders and other files are not listed.
        QCOMPARE(files, (QStringList{"5001.txt", "big5.txt", "ctype.txt", "empty-lines.txt", "long.txt", "UPPER.TXT"}));
        QVERIFY(!d.OKButton->isEnabled());
        QCOMPARE(d.dirPath(), QDir(m_dir.path()).canonicalPath());
        // The folder list ends with the subfolders of the folder shown.
        QCOMPARE(d.Dir1->item(d.Dir1->count() - 1)->text().trimmed(), QStringLiteral("folder.txt"));
    }

    void clickingAFileFillsTheBox()
    {
        FrmOpen d(nullptr, m_dir.path());
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QListWidgetItem *item = d.File1->findItems(QStringLiteral("ctype.txt"), Qt::MatchExactly).value(0);
        QVERIFY(item);
        QTest::mouseClick(d.File1->viewport(), Qt::LeftButton, {}, d.File1->visualItemRect(item).center());
        QCOMPARE(d.txtFileName->text(), QStringLiteral("ctype.txt"));
        QVERIFY(d.OKButton->isEnabled());
        QCOMPARE(QApplication::focusWidget(), d.OKButton);
        QCOMPARE(d.chosenPath(), QDir(d.dirPath()).filePath(QStringLiteral("ctype.txt")));
    }

    void typingInTheBox()
    {
        FrmOpen d(nullptr, m_dir.path());
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.txtFileName->setFocus();
        QTest::keyClicks(d.txtFileName, QStringLiteral("  "));
        QVERIFY(!d.OKButton->isEnabled()); // blanks only
        QTest::keyClicks(d.txtFileName, QStringLiteral("big5.txt"));
        QVERIFY(d.OKButton->isEnabled());
        QCOMPARE(QApplication::focusWidget(), d.txtFileName); // typing stays in the box
        QCOMPARE(d.txtFileName->text(), QStringLiteral("  big5.txt"));
        QCOMPARE(d.chosenPath(), QDir(d.dirPath()).filePath(QStringLiteral("big5.txt")));
    }

    void typedNameWinsOverTheClickedFile()
    {
        FrmOpen d(nullptr, m_dir.path());
        d.File1_Click(d.File1->item(2));
        d.txtFileName->setText(QStringLiteral("big5.txt"));
        QCOMPARE(FileNameOf(d.chosenPath()), QStringLiteral("big5.txt"));
    }

    void doubleClickOpens()
    {
        FrmOpen d(nullptr, m_dir.path());
        d.File1_DblClick(d.File1->item(1));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(FileNameOf(d.chosenPath()), d.File1->item(1)->text());
    }

    void openingAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("positions");
        QTest::newRow("UTF-8") << "ctype.txt" << "Quillory注音打字練習__ctype.txt" << 3 + 4;
        QTest::newRow("Big5") << "big5.txt" << "Quillory注音打字練習__big5.txt" << 3 + 4;
        QTest::newRow("upper-case ending") << "UPPER.TXT" << "Quillory注音打字練習__UPPER.TXT" << 4;
        QTest::newRow("only empty lines") << "empty-lines.txt" << "Quillory注音打字練習__" << 0;
    }
    void openingAFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(int, positions);
        FormHarness h;
        answerDialog(m_dir.path(), name);
        h.form.mnuOpen->trigger();
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(h.form.positionCount(), positions);
        QCOMPARE(FileNameOf(h.form.practiceFilePath), name);
    }

    void cancelChangesNothing()
    {
        FormHarness h;
        answerDialog(m_dir.path(), QStringLiteral("ctype.txt"));
        h.form.mnuOpen->trigger();
        h.form.mnuBase_Click(3);
        const QString title = h.form.windowTitle();
        const int positions = h.form.positionCount();
        answerDialog(m_dir.path(), QString(), true);
        h.form.mnuOpen->trigger();
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(h.form.positionCount(), positions);
        QVERIFY(h.messages.isEmpty());
    }

    void failuresSayWhatFailed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << "missing.txt"
                                 << QStringLiteral("找不到打字用的文字檔missing.txt\r\n請將編好的文字檔放置在程式目錄中。");
        QTest::newRow("a folder") << "folder.txt" << QString();
        QTest::newRow("5001 lines") << "5001.txt" << QString();
        QTest::newRow("40000 symbols") << "long.txt" << QString();
    }
    void failuresSayWhatFailed()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        FormHarness h;
        h.form.mnuBase_Click(5);
        h.form.lblRight->setText(QStringLiteral("7"));
        const QString title = h.form.windowTitle();
        const int positions = h.form.positionCount();
        answerDialog(m_dir.path(), name);
        h.form.mnuOpen->trigger();
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(h.messages[0].icon, QMessageBox::Warning);
        if (!text.isEmpty())
            QCOMPARE(h.messages[0].text, text);
        QVERIFY(h.messages[0].text.contains(name));
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(h.form.positionCount(), positions);
        QCOMPARE(h.form.lblRight->text(), QStringLiteral("7"));
    }

    // Hostile files, each opened through the dialog: a correct layout, or a
    // message that names the file and leaves text, title and counters alone.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("positions"); // -1: refused with a message
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919 + 13) % 256);
        QByteArray nuls("中ㄓㄨㄥ\n");
        nuls += QByteArray(64, '\0') + QByteArray("\n\0a\n", 4);
        QByteArray tenMegabytes = "中";
        tenMegabytes += QByteArray(10 * 1024 * 1024, 'x').replace("xxx", "ㄅ");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("only empty lines") << QByteArray("\r\n\n\r\n") << 0;
        QTest::newRow("10 MB single line") << tenMegabytes << -1;
        QTest::newRow("binary bytes") << binary << -2; // lays out, any count
        // A NUL character shows nothing and is accepted at once.
        QTest::newRow("NUL bytes") << nuls << 4 + 63 + 1;
        QTest::newRow("invalid Big5") << QByteArray("\xA4\n\xFF\xFE\n\x81\x30\n") << -2;
        QTest::newRow("invalid UTF-8") << QByteArray("\xC3\x28\n\xE2\x82\n") << -2;
        QTest::newRow("characters outside the BMP") << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x81\n\xF0\xA0\x80\x80x\n") << 2;
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, positions);
        const QString name = QStringLiteral("hostile-%1.txt").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
        write(name, bytes);
        FormHarness h;
        h.form.mnuDoc_Click(1);
        h.form.lblRight->setText(QStringLiteral("7"));
        const QString title = h.form.windowTitle();
        const int before = h.form.positionCount();
        answerDialog(m_dir.path(), name);
        h.form.mnuOpen->trigger();
        if (positions == -1) {
            QCOMPARE(h.messages.size(), 1);
            QVERIFY(h.messages[0].text.contains(name));
            QCOMPARE(h.form.windowTitle(), title);
            QCOMPARE(h.form.positionCount(), before);
            QCOMPARE(h.form.lblRight->text(), QStringLiteral("7"));
            return;
        }
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.value(0).text));
        QVERIFY(h.form.windowTitle().startsWith(QStringLiteral("Quillory注音打字練習__")));
        if (positions >= 0)
            QCOMPARE(h.form.positionCount(), positions);
        // Whatever it holds, the text can be run to its end or interrupted.
        h.form.cmdStart->click();
        h.form.mnuEsc->trigger();
        QVERIFY(h.waitForMessage());
    }
};

QTEST_MAIN(TestOpenFile)
#include "tst_openfile.moc"
