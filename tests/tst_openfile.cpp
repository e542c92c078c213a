#include "FormTestUtil.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// Answers the open dialog by clicking `name` in its file list, then OK.
void pickFromList(const QString &dir, const QString &name)
{
    QTimer::singleShot(0, [=] {
        auto *d = qobject_cast<FrmOpen *>(QApplication::activeModalWidget());
        if (!d)
            return;
        d->setDirPath(dir);
        const QList<QListWidgetItem *> items = d->File1->findItems(name, Qt::MatchExactly);
        if (items.isEmpty()) {
            d->CancelButton->click();
            return;
        }
        d->File1->scrollToItem(items[0]);
        QTest::mouseClick(d->File1->viewport(), Qt::LeftButton, {}, d->File1->visualItemRect(items[0]).center());
        d->OKButton->click();
    });
}

long statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Run in a process of its own: opens one file through the dialog with a
// lesson on screen and prints the resident size before (idle) and the
// highest it reached while the file was opened, in KiB, and the number of
// messages shown.
int peakProbe(const QString &path)
{
    FormHarness h;
    h.form.mnuBase_Click(1);
    malloc_trim(0);
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1)
        return 2;
    reset.close();
    const long idle = statusKiB("VmHWM:");
    answerDialog(QFileInfo(path).path(), QFileInfo(path).fileName());
    h.form.mnuOpen->trigger();
    std::printf("%ld %ld %d\n", idle, statusKiB("VmHWM:"), int(h.messages.size()));
    return 0;
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
        write(QStringLiteral("%2 of %1.txt"), many);
        QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt"));
        write(QStringLiteral(".hidden.txt"), "中ㄓㄨㄥ\n");
        mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("pipe.txt"))).constData(), 0600);
        QFile::link(m_dir.filePath(QStringLiteral("loop.txt")), m_dir.filePath(QStringLiteral("loop.txt")));
    }

    void dialogLists()
    {
        FrmOpen d(nullptr, m_dir.path());
        QCOMPARE(d.windowTitle(), QStringLiteral("開啟檔案"));
        QCOMPARE(d.size(), QSize(490, 271));
        QStringList files;
        for (int i = 0; i < d.File1->count(); ++i)
            files << d.File1->item(i)->text();
        // "*.txt" in any letter case; folders, hidden and other files are not listed.
        QCOMPARE(files, (QStringList{"%2 of %1.txt", "5001.txt", "big5.txt", "ctype.txt", "empty-lines.txt", "long.txt",
                                     "UPPER.TXT"}));
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

    void arrowKeysFillTheBox()
    {
        FrmOpen d(nullptr, m_dir.path());
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.File1->setFocus();
        d.File1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(d.File1, Qt::Key_Down);
        QCOMPARE(d.txtFileName->text(), d.File1->item(1)->text());
        QTest::keyClick(d.File1, Qt::Key_Up);
        QCOMPARE(d.txtFileName->text(), d.File1->item(0)->text());
        QVERIFY(d.OKButton->isEnabled());
        QCOMPARE(QApplication::focusWidget(), d.File1); // further arrows still move in the list
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
                                 << QStringLiteral("找不到打字用的文字檔missing.txt\r\n以下位置沒有這個檔案：\r\n")
                                        + QDir(m_dir.path()).canonicalPath() + QStringLiteral("/missing.txt");
        QTest::newRow("a folder") << "folder.txt" << QStringLiteral("無法開啟打字檔 folder.txt：這是資料夾，不是文字檔。");
        QTest::newRow("a pipe") << "pipe.txt"
                                << QStringLiteral("無法開啟打字檔 pipe.txt：這不是一般的檔案（而是裝置、管道或通訊端），不是文字檔。");
        QTest::newRow("a link loop") << "loop.txt"
                                     << QStringLiteral("無法開啟打字檔 loop.txt：符號連結繞成了迴圈，找不到真正的檔案。");
        // Names that look like placeholders stay as they are.
        QTest::newRow("%1 and %2 in the name") << "%2 of %1.txt"
                                               << QStringLiteral("無法開啟打字檔 %2 of %1.txt：超過 5000 行文字，請分成幾個較短的檔案。");
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
        QTest::addColumn<QString>("warning"); // after loading, naming the first bad line
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919 + 13) % 256);
        QByteArray nuls("中ㄓㄨㄥ\n");
        nuls += QByteArray(64, '\0') + QByteArray("\n\0a\n", 4);
        QByteArray tenMegabytes = "中";
        tenMegabytes += QByteArray(10 * 1024 * 1024, 'x').replace("xxx", "ㄅ");
        QTest::newRow("empty") << QByteArray() << 0 << QString();
        QTest::newRow("only empty lines") << QByteArray("\r\n\n\r\n") << 0 << QString();
        QTest::newRow("10 MB single line") << tenMegabytes << -1 << QString();
        QTest::newRow("binary bytes") << binary << -2 << QStringLiteral("無法辨識"); // lays out, any count
        // A NUL character shows nothing and is accepted at once.
        QTest::newRow("NUL bytes") << nuls << 4 + 63 + 1 << QString();
        QTest::newRow("invalid Big5") << QByteArray("\xA4\n\xFF\xFE\n\x81\x30\n") << -2 << QStringLiteral("以 Big5 編碼讀入，但第 1 行起");
        QTest::newRow("invalid UTF-8") << QByteArray("\xC3\x28\n\xE2\x82\n") << -2 << QStringLiteral("以 UTF-8 編碼讀入，但第 1 行起");
        QTest::newRow("characters outside the BMP") << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x81\n\xF0\xA0\x80\x80x\n") << 2 << QString();
        QTest::newRow("UTF-8, one truncated character at the end")
            << QByteArray("大ㄉㄚˋ\n學ㄒㄩㄝˊ\n中ㄓㄨㄥ\xE5\xAD") << 3 + 4 + 6 << QStringLiteral("以 UTF-8 編碼讀入，但第 3 行起");
        QTest::newRow("UTF-16 with its byte-order mark")
            << QByteArray("\xFF\xFE\x27\x59\x09\x31\x1A\x31\xCB\x02\n\0", 12) << 3 << QString();
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, positions);
        QFETCH(QString, warning);
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
        if (warning.isEmpty()) {
            QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.value(0).text));
        } else {
            QCOMPARE(h.messages.size(), 1);
            QVERIFY2(h.messages[0].text.contains(warning) && h.messages[0].text.contains(name),
                     qPrintable(h.messages[0].text));
            h.messages.clear();
        }
        QVERIFY(h.form.windowTitle().startsWith(QStringLiteral("Quillory注音打字練習__")));
        if (positions >= 0)
            QCOMPARE(h.form.positionCount(), positions);
        // Whatever it holds, the text can be run to its end or interrupted.
        h.form.cmdStart->click();
        h.form.mnuEsc->trigger();
        QVERIFY(h.waitForMessage());
    }

    // A name is shown in the title as it is: "[*]" is not taken for the
    // modified mark, and a name picked from the list is not trimmed.
    void namesShownAsTheyAre_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("brackets and star") << QStringLiteral("a[*]b.txt");
        QTest::newRow("leading blanks") << QStringLiteral("  lead.txt");
    }
    void namesShownAsTheyAre()
    {
        QFETCH(QString, name);
        write(name, "中ㄓㄨㄥ\n");
        FormHarness h;
        pickFromList(m_dir.path(), name);
        h.form.mnuOpen->trigger();
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.value(0).text));
        QCOMPARE(h.form.windowHandle()->title(), QStringLiteral("Quillory注音打字練習__") + name);
        QCOMPARE(h.form.positionCount(), 4);
    }

    // Messages show file names as plain text. Read as markup, an image
    // named after a pipe in the working folder would be opened and wait
    // for a writer for ever: a watchdog writes to it so that a hang fails.
    void messagesArePlainText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("bold") << QStringLiteral("<b>x.txt");
        QTest::newRow("image of a pipe") << QStringLiteral("<img src=fifo> lines.txt");
    }
    void messagesArePlainText()
    {
        QFETCH(QString, name);
        QTemporaryDir work;
        const QString fifo = work.filePath(QStringLiteral("fifo"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(work.path());
        std::atomic<bool> done = false, hung = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 100 && !done; ++i)
                QThread::msleep(50);
            while (!done) {
                const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    hung = true;
                    ::close(fd);
                }
                QThread::msleep(20);
            }
        });
        Form1 form; // the window's own message box
        Qt::TextFormat format = Qt::AutoText;
        QString text;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto *mb = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                format = mb->textFormat();
                text = mb->text();
                mb->accept();
            }
        });
        poll.start(10);
        answerDialog(work.path(), name);
        form.mnuOpen->trigger();
        done = true;
        watchdog.join();
        QDir::setCurrent(oldCwd);
        QVERIFY2(!hung, "the message box opened the pipe");
        QVERIFY(text.contains(name));
        QCOMPARE(format, Qt::PlainText);
    }

    // A file the layout refuses leaves the previous title on screen while
    // the refusal is shown.
    void titleStaysWhileRefused()
    {
        // 32767 symbols, but the first tone's space makes two more.
        const QByteArray bytes = "中" + QByteArray(32000, 'x').replace("x", "ㄅ") + "\n中"
                                 + QByteArray(767, 'x').replace("x", "ㄅ") + "\n";
        write(QStringLiteral("spaces-over.txt"), bytes);
        FormHarness h;
        h.form.mnuBase_Click(2);
        const QString title = h.form.windowTitle();
        QStringList titlesShown;
        h.form.showMessage = [&](QMessageBox::Icon, const QString &) { titlesShown << h.form.windowTitle(); };
        answerDialog(m_dir.path(), QStringLiteral("spaces-over.txt"));
        h.form.mnuOpen->trigger();
        QCOMPARE(titlesShown, QStringList{title});
        QCOMPARE(h.form.windowTitle(), title);
    }

    // Whatever limit a file crosses, it is refused before it takes much
    // memory: under 64 MB above the idle figure, measured in a process of
    // its own.
    void refusedFilesStayLean_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray bo = QByteArray("ㄅ");
        QTest::newRow("30 MB on one line") << "30mb.txt" << "長" + bo.repeated(10 * 1024 * 1024);
        QByteArray utf16("\xFF\xFE\x77\x95", 4);
        QTest::newRow("just under the size limit, UTF-16")
            << "4mb-utf16.txt" << utf16 + QByteArray("\x05\x31").repeated(kMaxPracticeFileBytes / 2 - 3);
        const QByteArray tokens = "中" + bo.repeated(32000) + "\n中" + bo.repeated(767) + "\n";
        QTest::newRow("empty lines, then too many symbols for the layout")
            << "empty-lines-then-refused.txt" << QByteArray(kMaxPracticeFileBytes - tokens.size(), '\n') + tokens;
    }
    void refusedFilesStayLean()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = write(name, bytes);
        bytes.clear();
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLORY_PEAK_PROBE"), path);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.setProcessEnvironment(env);
        probe.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(probe.waitForFinished(120000));
        QFile::remove(path);
        if (probe.exitCode() == 2)
            QSKIP("no /proc/self/clear_refs to reset the peak");
        const QList<QByteArray> out = probe.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(out.size(), 3);
        const long idle = out[0].toLong(), peak = out[1].toLong();
        qInfo("idle %ld KiB, peak %ld KiB: %+ld KiB", idle, peak, peak - idle);
        QCOMPARE(out[2], QByteArray("1")); // refused with a message
        QVERIFY2(peak - idle < 64 * 1024, "refusing the file took 64 MB or more");
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QString probe = qEnvironmentVariable("QUILLORY_PEAK_PROBE");
    if (!probe.isEmpty())
        return peakProbe(probe);
    TestOpenFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_openfile.moc"
