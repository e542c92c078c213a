#include "FormTestUtil.h"

#include <QActionGroup>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "annotate/Annotator.h"
#include "view/VbColor.h"
#include "article/ArticleDocument.h"
#include "article/ArticleReview.h"
#include "practice/Big5.h"
#include "practice/TextWindow.h"

namespace {

// 銀行 twice, so that a reading can change once or for the phrase; 還, 和 and
// 得 stand alone, which leaves readings to check.
const QString kArticle = QStringLiteral("我們去銀行還書。\n他和朋友也到銀行，覺得很好。\n");

// The symbols of the positions laid out, in order.
QString laidOutSymbols(const Form1 &f)
{
    QString s;
    for (const PositionCell &c : f.textLayout.positions)
        s += c.symbol;
    return s;
}

// Tokens of the article whose character is ch, in text order.
QList<qsizetype> tokensOf(const ArticleDocument &doc, const QString &ch)
{
    QList<qsizetype> out;
    for (qsizetype t = 0; t < doc.tokenCount(); ++t) {
        if (doc.character(t) == ch)
            out << t;
    }
    return out;
}

// Opens the reading list of token t and chooses reading in the section of
// scope, with the keyboard.
void chooseReading(ArticleReview *review, qsizetype t, const QString &reading,
                   annotate::ChangeScope scope)
{
    review->setCurrentToken(t);
    bool chosen = false;
    QTimer::singleShot(0, review, [&] {
        QMenu *menu = review->choiceMenu();
        QVERIFY(menu);
        // The first block of readings is this character's (they form a group),
        // the second the phrase's.
        const bool here = scope == annotate::ChangeScope::ThisOccurrence;
        for (QAction *a : menu->actions()) {
            if (a->data().toString() == reading && (a->actionGroup() != nullptr) == here) {
                menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return);
                chosen = true;
                return;
            }
        }
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    QTest::keyClick(review, Qt::Key_Return);
    QVERIFY2(chosen, qPrintable(QStringLiteral("no reading %1 in the list").arg(reading)));
}

} // namespace

class TestArticle : public QObject {
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

    QString readingOther(const ArticleDocument &doc, qsizetype t)
    {
        for (const QString &c : doc.candidates(t)) {
            if (c != doc.reading(t))
                return c;
        }
        return {};
    }

private slots:
    // Tab goes to the next reading to check, however close; punctuation is
    // never one to review.
    void readingsToCheckInTurn()
    {
        annotate::Annotation a;
        a.lines.push_back({1, {}});
        for (const char16_t *ch : {u"行", u"行", u"。", u"行"}) {
            annotate::Item it;
            it.text = QString::fromUtf16(ch);
            const bool han = it.text != QStringLiteral("。");
            it.kind = han ? annotate::Item::Kind::Han : annotate::Item::Kind::Shown;
            if (han) {
                it.reading = QStringLiteral("ㄒㄧㄥˊ");
                it.candidates = {it.reading, QStringLiteral("ㄏㄤˊ")};
            }
            it.uncertain = true;
            a.lines[0].items.push_back(it);
        }
        const ArticleDocument doc(a, QStringLiteral("x.txt"), QString());
        QCOMPARE(doc.nextUncertain(-1, 1), 0);
        QCOMPARE(doc.nextUncertain(0, 1), 1);
        QCOMPARE(doc.nextUncertain(1, 1), 3);
        QCOMPARE(doc.nextUncertain(3, -1), 1);
        QVERIFY(!doc.isReviewable(2));
    }

    void openedArticleIsReviewed()
    {
        FormHarness h;
        QVERIFY(h.show());
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("news.txt"), kArticle.toUtf8())));
        QCOMPARE(h.form.windowTitle(), QStringLiteral("Quillory注音打字練習__news.txt"));
        QVERIFY(h.messages.isEmpty());
        QVERIFY(h.form.article);
        QVERIFY(h.form.mnuSaveArticle->isEnabled());
        // The readings are laid out as a practice text: 我們 first.
        QVERIFY(laidOutSymbols(h.form).startsWith(QStringLiteral("ㄨㄛˇㄇㄣ˙")));

        // The review starts at the first reading to check, tinted.
        const ArticleDocument &doc = *h.form.article;
        QVERIFY(doc.uncertainCount() > 0);
        ArticleReview *review = h.form.articleReview;
        QVERIFY(review->isVisible());
        QCOMPARE(QApplication::focusWidget(), review);
        const qsizetype first = review->currentToken();
        QVERIFY(doc.isUncertain(first));
        QCOMPARE(doc.nextUncertain(-1, 1), first);
        const QImage sheet = h.form.picWindow->picWd->grab().toImage();
        auto symbolBack = [&](qsizetype t) {
            const PositionCell &c = h.form.textLayout.positions[doc.firstPosition(t) - 1];
            return sheet.pixel(c.left + 16, c.top + 24);
        };
        QCOMPARE(symbolBack(first), ArticleReview::kUncertainBack);
        const qsizetype settled = tokensOf(doc, QStringLiteral("我")).value(0);
        QVERIFY(!doc.isUncertain(settled));
        QCOMPARE(symbolBack(settled), toQColor(Palette::LightCyan).rgb());

        // The arrow keys move over the characters, not the punctuation.
        const auto &words = h.form.textLayout.words;
        const qsizetype book = tokensOf(doc, QStringLiteral("書")).value(0);
        review->setCurrentToken(book);
        QTest::keyClick(review, Qt::Key_Right); // past 。 and the paragraph break
        const qsizetype ta = review->currentToken();
        QCOMPARE(doc.character(ta), QStringLiteral("他"));
        QTest::keyClick(review, Qt::Key_Down);  // the next text line
        QCOMPARE(words[review->currentToken()].top, words[ta].top + kLineHeight);
        QTest::keyClick(review, Qt::Key_Up);
        QCOMPARE(words[review->currentToken()].top, words[ta].top);
        QTest::keyClick(review, Qt::Key_Home);
        QCOMPARE(doc.character(review->currentToken()), QStringLiteral("我"));
        QTest::keyClick(review, Qt::Key_Tab);   // the next reading to check
        QCOMPARE(review->currentToken(), doc.nextUncertain(0, 1));

        // A click on a character picks it (and opens its list: closed here).
        const qsizetype he = tokensOf(doc, QStringLiteral("和")).value(0);
        QTimer::singleShot(0, review, [review] {
            if (review->choiceMenu())
                review->choiceMenu()->close();
        });
        QTest::mouseClick(review, Qt::LeftButton, {}, review->tokenRect(he).center());
        QCOMPARE(review->currentToken(), he);

        // Start practises the text as laid out; the review steps aside.
        h.form.cmdStart->click();
        QVERIFY(h.form.runInProgress());
        QVERIFY(!review->isVisible());
        QVERIFY(!h.form.mnuOpenArticle->isEnabled());
        QVERIFY(!h.form.mnuPasteArticle->isEnabled());
        QVERIFY(!h.form.mnuSaveArticle->isEnabled());
        h.type(keysForText(h.form));
        QVERIFY(h.waitForMessage());
        QVERIFY(h.messages.last().text.startsWith(QStringLiteral("恭喜您打完本段文字")));
        QVERIFY(review->isVisible());
        QVERIFY(h.form.mnuOpenArticle->isEnabled());
    }

    void changingAReading()
    {
        FormHarness h;
        QVERIFY(h.show());
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("bank.txt"), kArticle.toUtf8())));
        const ArticleDocument &doc = *h.form.article;
        const QList<qsizetype> hang = tokensOf(doc, QStringLiteral("行"));
        QCOMPARE(hang.size(), 2);
        const QString before = doc.reading(hang[0]);
        QCOMPARE(doc.reading(hang[1]), before);
        QCOMPARE(doc.phraseText(hang[0]), QStringLiteral("銀行"));
        const QString other = readingOther(doc, hang[0]);
        QVERIFY(!other.isEmpty());
        const QString title = h.form.windowTitle();
        const QString symbolsBefore = laidOutSymbols(h.form);

        // This occurrence only: the text is laid out again with it.
        chooseReading(h.form.articleReview, hang[0], other, annotate::ChangeScope::ThisOccurrence);
        QCOMPARE(h.form.article->reading(hang[0]), other);
        QCOMPARE(h.form.article->reading(hang[1]), before);
        QVERIFY(h.form.article->isChanged(hang[0]));
        QVERIFY(laidOutSymbols(h.form) != symbolsBefore);
        const PositionCell &p = h.form.textLayout.positions[doc.firstPosition(hang[0]) - 1];
        QCOMPARE(p.symbol, other.left(1));
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(h.form.articleReview->currentToken(), hang[0]);
        QCOMPARE(h.form.focusWidget(), h.form.articleReview);
        const QImage sheet = h.form.picWindow->picWd->grab().toImage();
        QCOMPARE(sheet.pixel(p.left + 16, p.top + 24), ArticleReview::kChangedBack);

        // Every 銀行: both occurrences read the same again.
        chooseReading(h.form.articleReview, hang[1], before, annotate::ChangeScope::SamePhrase);
        QCOMPARE(h.form.article->reading(hang[0]), before);
        QCOMPARE(h.form.article->reading(hang[1]), before);
        QCOMPARE(laidOutSymbols(h.form), symbolsBefore);
    }

    void readingTypedOnTheZhuyinKeys()
    {
        FormHarness h;
        QVERIFY(h.show());
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("typed.txt"), kArticle.toUtf8())));
        ArticleReview *review = h.form.articleReview;
        const qsizetype hang = tokensOf(*h.form.article, QStringLiteral("行")).value(0);
        review->setCurrentToken(hang);
        // 其他讀音… in the list, then the keys v u / 4 in its box: ㄒㄧㄥˋ. A
        // text that is no syllable is asked for again.
        QStringList typed{QStringLiteral("xyz"), QStringLiteral("vu/4")};
        std::function<void()> answer = [&] {
            auto *d = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!d) {
                QTimer::singleShot(10, review, answer);
                return;
            }
            auto *edit = d->findChild<QLineEdit *>();
            edit->clear();
            QTest::keyClicks(edit, typed.takeFirst());
            if (typed.isEmpty())
                QCOMPARE(edit->text(), QStringLiteral("ㄒㄧㄥˋ"));
            else
                QTimer::singleShot(10, review, answer);
            d->accept();
        };
        QTimer::singleShot(0, review, [&] {
            QMenu *menu = review->choiceMenu();
            menu->setActiveAction(menu->actions().last());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTimer::singleShot(0, review, answer);
        QTest::keyClick(review, Qt::Key_Return);
        QVERIFY(typed.isEmpty());
        QCOMPARE(h.form.article->reading(hang), QStringLiteral("ㄒㄧㄥˋ"));
        QVERIFY(laidOutSymbols(h.form).contains(QStringLiteral("ㄧㄣˊㄒㄧㄥˋ")));
    }

    void droppedFileOpens()
    {
        FormHarness h;
        QVERIFY(h.show());
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(write(QStringLiteral("dropped.txt"), kArticle.toUtf8()))});
        QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&h.form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&h.form, &drop);
        QTRY_COMPARE(h.form.windowTitle(), QStringLiteral("Quillory注音打字練習__dropped.txt"));
        QVERIFY(h.form.article);
    }

    void savedArticleReopens_data()
    {
        QTest::addColumn<bool>("big5");
        QTest::newRow("UTF-8") << false;
        QTest::newRow("Big5") << true;
    }
    void savedArticleReopens()
    {
        QFETCH(bool, big5);
        FormHarness h;
        QVERIFY(h.show());
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("save.txt"), kArticle.toUtf8())));
        const qsizetype hang = tokensOf(*h.form.article, QStringLiteral("行")).value(0);
        chooseReading(h.form.articleReview, hang, readingOther(*h.form.article, hang),
                      annotate::ChangeScope::ThisOccurrence);
        const QString symbols = laidOutSymbols(h.form);
        QStringList chars;
        for (const WordCell &w : h.form.textLayout.words)
            chars << w.text;

        // Through the save dialog, choosing the encoding by its filter.
        const QString path = m_dir.filePath(big5 ? QStringLiteral("saved-big5") : QStringLiteral("saved-utf8"));
        QTimer::singleShot(0, &h.form, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->nameFilters().size(), 2); // every character fits Big5
            d->selectNameFilter(d->nameFilters().at(big5 ? 1 : 0));
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept");
        });
        h.form.mnuSaveArticle->trigger();
        QFile f(path + QStringLiteral(".txt")); // the suffix is added
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QString text = big5 ? Big5::decode(bytes) : QString::fromUtf8(bytes);
        QVERIFY(text.startsWith(QStringLiteral("我ㄨㄛˇ\r\n們ㄇㄣ˙\r\n")));
        QCOMPARE(bytes.contains("\xe6\x88\x91"), !big5); // 我 in UTF-8

        // Opened again it is a practice file: the same text, no review.
        h.form.mnuBase_Click(1);
        QVERIFY(h.form.OpenTextFile(f.fileName()));
        QVERIFY(!h.form.article);
        QVERIFY(!h.form.articleReview->isVisible());
        QCOMPARE(laidOutSymbols(h.form), symbols);
        QStringList reread;
        for (const WordCell &w : h.form.textLayout.words)
            reread << w.text;
        QCOMPARE(reread, chars);
        QCOMPARE(h.form.windowTitle(), QStringLiteral("Quillory注音打字練習__") + QFileInfo(f).fileName());
    }

    void simplifiedIsConvertedAfterAsking_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("expected"); // the first characters shown, or none
        QTest::newRow("convert") << int(QMessageBox::Yes) << QStringLiteral("我們的軟體");
        QTest::newRow("keep") << int(QMessageBox::No) << QStringLiteral("我们的软件");
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << QString();
    }
    void simplifiedIsConvertedAfterAsking()
    {
        QFETCH(int, answer);
        QFETCH(QString, expected);
        FormHarness h;
        QStringList asked;
        h.form.askQuestion = [&](const QString &text, const QList<Form1::QuestionButton> &) {
            asked << text;
            return QMessageBox::StandardButton(answer);
        };
        QVERIFY(h.show());
        h.form.mnuBase_Click(2);
        const QString title = h.form.windowTitle();
        QGuiApplication::clipboard()->setText(QStringLiteral("我们的软件在网络上下载。"));
        h.form.mnuPasteArticle->trigger();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(QStringLiteral("簡體")));
        QString shown;
        for (const WordCell &w : h.form.textLayout.words)
            shown += w.text;
        if (expected.isEmpty()) {
            QCOMPARE(h.form.windowTitle(), title);
            QVERIFY(!h.form.article);
        } else {
            QCOMPARE(h.form.windowTitle(), QStringLiteral("Quillory注音打字練習_貼上文章"));
            QVERIFY(shown.startsWith(expected));
        }

        // Traditional text is not asked about.
        QGuiApplication::clipboard()->setText(QStringLiteral("我們的軟體在網路上下載。"));
        h.form.mnuPasteArticle->trigger();
        QCOMPARE(asked.size(), 1);
        QVERIFY(h.form.article);
    }

    void whatCannotBeOpenedChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QStringLiteral("missing.txt") << QByteArray() << QStringLiteral("找不到");
        QTest::newRow("folder") << QStringLiteral("folder.txt") << QByteArray() << QStringLiteral("資料夾");
        QTest::newRow("nothing to type") << QStringLiteral("marks.txt") << QByteArray("\xef\xbc\x8c\xe3\x80\x82\n\n")
                                         << QStringLiteral("沒有要打的字");
        QTest::newRow("undecodable") << QStringLiteral("binary.txt") << QByteArray("ok\n\x89\x00\xff\n", 7)
                                     << QStringLiteral("第 2 行");
        QByteArray lines;
        for (int i = 0; i < 5001; ++i)
            lines += "\xe4\xb8\xad\xe6\x96\x87\n"; // 中文
        QTest::newRow("5001 lines") << QStringLiteral("lines.txt") << lines << QStringLiteral("5000 行");
        QByteArray positions;
        for (int i = 0; i < 5000; ++i)
            positions += "\xe4\xb8\xad\xe6\x96\x87"; // 10,000 characters on one line
        QTest::newRow("32767 positions") << QStringLiteral("long.txt") << positions << QStringLiteral("32767");
    }
    void whatCannotBeOpenedChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString path = m_dir.filePath(name);
        if (name == QStringLiteral("folder.txt"))
            QDir(m_dir.path()).mkdir(name);
        else if (!bytes.isEmpty())
            write(name, bytes);

        FormHarness h;
        QVERIFY(h.show());
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("before.txt"), kArticle.toUtf8())));
        h.form.cmdStart->click();
        h.type(QStringLiteral("jix")); // 我 and a wrong key
        h.form.mnuEsc_Click();
        QVERIFY(h.waitForMessage());
        h.messages.clear();
        const QString title = h.form.windowTitle();
        const QString symbols = laidOutSymbols(h.form);
        const QString right = h.form.lblRight->text();
        const QString wrong = h.form.lblWrong->text();
        const ArticleDocument *doc = h.form.article.get();

        QVERIFY(!h.form.OpenTextFile(path));
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(h.messages[0].icon, QMessageBox::Warning);
        QVERIFY2(h.messages[0].text.contains(name) && h.messages[0].text.contains(reason),
                 qPrintable(h.messages[0].text));
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(laidOutSymbols(h.form), symbols);
        QCOMPARE(h.form.lblRight->text(), right);
        QCOMPARE(h.form.lblWrong->text(), wrong);
        QCOMPARE(h.form.article.get(), doc);
        QVERIFY(h.form.articleReview->isVisible());
    }

    void missingReadingTablesDisableArticles()
    {
        FormHarness h;
        annotate::Annotator::Paths nowhere;
        nowhere.chewingDir = m_dir.filePath(QStringLiteral("no-chewing"));
        nowhere.gcinTable = m_dir.filePath(QStringLiteral("no-gcin/pho.tab2"));
        annotate::Annotator missing(nowhere);
        h.form.annotator = &missing;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1);
        const QString title = h.form.windowTitle();
        QVERIFY(!h.form.OpenTextFile(write(QStringLiteral("any.txt"), kArticle.toUtf8())));
        QCOMPARE(h.messages.size(), 1);
        QVERIFY2(h.messages[0].text.contains(QStringLiteral("libchewing3-data")), qPrintable(h.messages[0].text));
        QCOMPARE(h.form.windowTitle(), title);
        QVERIFY(!h.form.mnuOpenArticle->isEnabled());
        QVERIFY(!h.form.mnuPasteArticle->isEnabled());
        // Practice files still open the same way.
        QVERIFY(h.form.OpenTextFile(write(QStringLiteral("ready.txt"), "中ㄓㄨㄥ\n")));
        QCOMPARE(h.form.positionCount(), 4);
    }
};

QTEST_MAIN(TestArticle)
#include "tst_article.moc"
