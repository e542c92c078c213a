// The main window's articles: any Chinese text opened, pasted or dropped on
// the window gets its readings, is reviewed in the text window, practised,
// and can be saved as a practice file.

#include "app/Form1.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>

#include "annotate/Annotator.h"
#include "annotate/ChineseConverter.h"
#include "view/AppInfo.h"
#include "article/ArticleDocument.h"
#include "article/ArticleReview.h"
#include "article/ArticleSource.h"
#include "practice/PracticeFile.h"
#include "practice/TextWindow.h"

namespace {

// How the messages name where the text came from.
QString subjectOf(const QString &name, const QString &path)
{
    return path.isEmpty() ? QStringLiteral("貼上的文字") : QStringLiteral("文章 %1").arg(name);
}

QString titleFor(const QString &name, const QString &path)
{
    return path.isEmpty() ? AppInfo::title() + QStringLiteral("_貼上文章")
                          : AppInfo::title() + QStringLiteral("__") + name;
}

} // namespace

void Form1::mnuOpenArticle_Click()
{
    if (runInProgress())
        return;
    const QString folder = articleFolder.isEmpty() ? QDir::currentPath() : articleFolder;
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("開啟文章"), folder,
        QStringLiteral("文字檔 (*.txt *.TXT);;所有檔案 (*)"));
    if (!path.isEmpty())
        OpenTextFile(path);
}

void Form1::mnuPasteArticle_Click()
{
    if (runInProgress())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        showMessage(QMessageBox::Information, QStringLiteral("剪貼簿裡沒有文字。請先複製一段中文文章，再選「貼上文章」。"));
        return;
    }
    OpenPastedText(text);
}

bool Form1::OpenTextFile(const QString &path)
{
    if (runInProgress())
        return false;
    const QFileInfo info(path);
    const QString name = FileNameOf(path);
    using Status = ArticleSource::Status;
    const ArticleSource source = ReadArticleFile(path);
    switch (source.status) {
    case Status::Ok:
        break;
    case Status::NotFound:
        showMessage(QMessageBox::Warning, QStringLiteral("找不到文章 %1。").arg(path));
        return false;
    case Status::NotAFile:
        showMessage(QMessageBox::Warning, QStringLiteral("無法開啟文章 %1：這是資料夾，不是文字檔。").arg(name));
        return false;
    case Status::Unreadable:
        showMessage(QMessageBox::Warning, QStringLiteral("無法讀取文章 %1：%2").arg(name, source.error));
        return false;
    case Status::TooLarge:
        showMessage(QMessageBox::Warning, QStringLiteral("無法開啟文章 %1：檔案太大（超過 %2 MB），請分成幾個較短的檔案。")
                                              .arg(name).arg(kMaxPracticeFileBytes / (1024 * 1024)));
        return false;
    case Status::Undecodable:
        showMessage(QMessageBox::Warning,
                    QStringLiteral("無法開啟文章 %1：第 %2 行有無法辨識的位元組，這不是 UTF-8 或 Big5 編碼的文字檔。")
                        .arg(name).arg(source.badLine));
        return false;
    }
    articleFolder = info.absolutePath();
    return loadText(source.text, name, info.absoluteFilePath());
}

bool Form1::OpenPastedText(const QString &text)
{
    if (runInProgress())
        return false;
    const ArticleSource source = ArticleFromText(text);
    if (source.status != ArticleSource::Status::Ok) {
        showMessage(QMessageBox::Warning,
                    QStringLiteral("無法使用貼上的文字：第 %1 行有無法辨識的字元。").arg(source.badLine));
        return false;
    }
    return loadText(source.text, QString(), QString());
}

bool Form1::loadText(const QString &text, const QString &name, const QString &path)
{
    if (!annotate::looksLikePracticeFile(text))
        return loadArticle(text, name, path);

    // Already a practice file: every line a character and its reading.
    TokenTable table;
    switch (TokensFromLines(text, table)) {
    case PracticeFileResult::Status::Ok:
        break;
    case PracticeFileResult::Status::TooManySymbols:
        showMessage(QMessageBox::Warning, QStringLiteral("無法開啟%1：要打的注音字元超過 %2 個，請分成幾個較短的檔案。")
                                              .arg(subjectOf(name, path), QString::number(kMaxPositions)));
        return false;
    default:
        showMessage(QMessageBox::Warning, QStringLiteral("無法開啟%1：超過 %2 行文字，請分成幾個較短的檔案。")
                                              .arg(subjectOf(name, path), QString::number(kMaxPracticeTokens)));
        return false;
    }
    const TextRef ref = TextRef::file(path.isEmpty() ? QStringLiteral("貼上的文字") : path, table);
    if (!LoadPracticeText(table, path.isEmpty() ? QStringLiteral("貼上的文字") : name, titleFor(name, path)))
        return false;
    currentText = ref;
    if (!path.isEmpty())
        practiceFilePath = path;
    return true;
}

bool Form1::loadArticle(const QString &text, const QString &name, const QString &path)
{
    const QString subject = subjectOf(name, path);
    auto refuse = [&](const QString &reason) {
        showMessage(QMessageBox::Warning, QStringLiteral("無法開啟%1：%2").arg(subject, reason));
        return false;
    };
    annotate::Annotator &tables = annotator ? *annotator : annotate::Annotator::shared();
    QString error;
    if (!m_articlesUsable || !tables.load(&error)) {
        if (m_articlesUsable) {
            m_articlesUsable = false;
            updateArticleActions();
        }
        return refuse(QStringLiteral("沒有注音讀音資料，無法替文章加上注音。") + error);
    }
    if (ParagraphCount(text) > kMaxPracticeTokens)
        return refuse(QStringLiteral("超過 %1 行文字，請分成幾個較短的檔案。").arg(kMaxPracticeTokens));
    // Every letter, digit or Han character with a reading takes a position at
    // least: a text with twice as many as a run can count is not read further.
    qsizetype letters = 0;
    for (QChar c : text)
        letters += c.isLetterOrNumber();
    if (letters > 2 * qsizetype(kMaxPositions))
        return refuse(QStringLiteral("要打的注音字元超過 %1 個，請分成幾篇較短的文章。").arg(kMaxPositions));

    // Simplified Chinese becomes Taiwan Traditional, if the learner wants.
    QString working = text;
    annotate::ChineseConverter &converter = annotate::ChineseConverter::shared();
    if (converter.looksSimplified(text)) {
        const QMessageBox::StandardButton answer = askQuestion(
            QStringLiteral("%1看起來是簡體中文。\n要先轉換成台灣的正體字和用語（例如「软件」成為「軟體」），再加上注音嗎？")
                .arg(subject),
            {{QMessageBox::Yes, QStringLiteral("轉換")},
             {QMessageBox::No, QStringLiteral("不轉換")},
             {QMessageBox::Cancel, QStringLiteral("取消")}});
        if (answer == QMessageBox::Yes) {
            working = converter.toTaiwanTraditional(text, &error);
            if (working.isNull())
                return refuse(error);
        } else if (answer != QMessageBox::No) {
            return false;
        }
    }

    annotate::Annotation annotation = tables.annotate(working);
    if (!annotation.hasSomethingToType())
        return refuse(QStringLiteral("裡面沒有要打的字（中文字、英文字母或數字）。"));
    auto doc = std::make_unique<ArticleDocument>(std::move(annotation), name, path);

    // Lay it out first: a text beyond the limits of a run changes nothing.
    TokenTable table = doc->tokens();
    {
        TokenTable probe = table;
        TextLayout layout;
        switch (LayOutText(probe, layoutGeometry(), layout)) {
        case LayoutLimit::None:
            break;
        case LayoutLimit::TooManyPositions:
            return refuse(QStringLiteral("要打的注音字元超過 %1 個，請分成幾篇較短的文章。").arg(kMaxPositions));
        case LayoutLimit::SheetTooTall:
            return refuse(QStringLiteral("文字太長，無法顯示，請分成幾篇較短的文章。"));
        }
    }

    const TextRef ref = TextRef::file(path.isEmpty() ? QStringLiteral("貼上的文字") : path, table);
    m_keepArticle = true;
    const bool loaded = LoadPracticeText(table, path.isEmpty() ? QStringLiteral("貼上的文字") : name, titleFor(name, path));
    m_keepArticle = false;
    if (!loaded)
        return false;
    currentText = ref;
    doc->setLaidOut(table);
    article = std::move(doc);

    if (!articleReview) {
        articleReview = new ArticleReview(picWindow->picWd);
        connect(articleReview, &ArticleReview::readingsChanged, this, &Form1::relayOutArticle);
        connect(articleReview, &ArticleReview::visibleAreaWanted, this, [this](int top, int bottom) {
            QScrollBar *bar = picWindow->VScroll1;
            const int frame = picWindow->height();
            // A character out of view brings its line to the top of the frame.
            if (top < bar->value() || bottom > bar->value() + frame)
                bar->setValue(std::clamp(top, 0, bar->maximum()));
        });
        setTabOrder(articleReview, cmdStart);
    }
    articleReview->setDocument(article.get(), &textLayout);
    updateArticleActions();
    // Ready for review: the arrow keys move through the text at once.
    articleReview->setFocus();
    const QRect first = articleReview->tokenRect(articleReview->currentToken());
    if (!first.isNull())
        emit articleReview->visibleAreaWanted(first.top() - 4, first.bottom() + 5);
    return true;
}

void Form1::closeArticle()
{
    if (!article)
        return;
    if (articleReview)
        articleReview->setDocument(nullptr, nullptr);
    article.reset();
    updateArticleActions();
}

void Form1::relayOutArticle()
{
    if (!article)
        return;
    // The same text with other readings: the view stays where it was.
    const int scroll = picWindow->VScroll1->value();
    TokenTable table = article->tokens();
    const TextRef ref = TextRef::file(currentText.path, table);
    m_keepArticle = true;
    const bool loaded = LoadPracticeText(table, article->name());
    m_keepArticle = false;
    if (!loaded)
        return;
    currentText = ref; // other readings: another text to the record
    article->setLaidOut(table);
    picWindow->VScroll1->setValue(scroll);
    articleReview->setTextLayout(&textLayout);
    articleReview->setFocus();
    updateArticleActions();
}

void Form1::updateArticleActions()
{
    const bool idle = !m_runLocked;
    mnuOpenArticle->setEnabled(idle && m_articlesUsable);
    mnuPasteArticle->setEnabled(idle && m_articlesUsable);
    mnuSaveArticle->setEnabled(idle && article != nullptr);
    const bool reviewing = idle && article != nullptr;
    if (articleReview)
        articleReview->setVisible(reviewing);
    // The hint over the text window says what is left to check.
    if (reviewing) {
        const qsizetype n = article->uncertainCount();
        lblReview->setText(n > 0 ? QStringLiteral("%1 個橘底的讀音請確認，Enter 更換").arg(n)
                                 : QStringLiteral("按一下字或按 Enter 可更換讀音"));
    }
    lblReview->setVisible(reviewing);
}

void Form1::mnuSaveArticle_Click()
{
    if (!article || runInProgress())
        return;
    const qsizetype lines = article->practiceFileLines();
    if (lines > kMaxPracticeTokens || positionCount() > kMaxPositions) {
        const QMessageBox::StandardButton answer = askQuestion(
            QStringLiteral("這篇文章存成打字檔有 %1 行、%2 個要打的注音字元，超過打字檔的上限（%3 行、%4 個），"
                           "存好的檔案將無法用「開啟打字檔」開啟。\n仍要儲存嗎？")
                .arg(lines).arg(positionCount()).arg(kMaxPracticeTokens).arg(kMaxPositions),
            {{QMessageBox::Save, QStringLiteral("仍要儲存")}, {QMessageBox::Cancel, QStringLiteral("取消")}});
        if (answer != QMessageBox::Save)
            return;
    }

    QString folder = articleFolder.isEmpty() ? QDir::currentPath() : articleFolder;
    const QString suggested = article->isPasted()
                                  ? QStringLiteral("貼上文章.txt")
                                  : QFileInfo(article->name()).completeBaseName() + QStringLiteral("_注音.txt");
    const QString utf8 = QStringLiteral("打字檔，UTF-8 (*.txt)");
    const QString big5 = QStringLiteral("打字檔，Big5 (*.txt)");
    QStringList filters{utf8};
    if (article->fitsBig5())
        filters << big5;

    QFileDialog dialog(this, QStringLiteral("存成打字檔"), QDir(folder).filePath(suggested));
    dialog.setObjectName(QStringLiteral("saveArticleDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters(filters);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveArticle(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter() == big5);
}

bool Form1::SaveArticle(const QString &path, bool big5)
{
    if (!article)
        return false;
    QSaveFile file(path);
    const QByteArray bytes =
        article->practiceFileBytes(big5 ? ArticleDocument::Encoding::Big5 : ArticleDocument::Encoding::Utf8);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        showMessage(QMessageBox::Warning,
                    QStringLiteral("無法儲存打字檔 %1：%2").arg(FileNameOf(path), file.errorString()));
        return false;
    }
    return true;
}

// --- Files and text dropped on the window ------------------------------------

namespace {

QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!runInProgress() && (!droppedFile(mime).isEmpty() || (mime && mime->hasText())))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    if (runInProgress())
        return;
    const QMimeData *mime = event->mimeData();
    const QString path = droppedFile(mime);
    event->acceptProposedAction();
    // Open once the drag is over, so that messages do not hold up the source.
    if (!path.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, path] { OpenTextFile(path); }, Qt::QueuedConnection);
    } else if (mime && mime->hasText()) {
        const QString text = mime->text();
        QMetaObject::invokeMethod(this, [this, text] { OpenPastedText(text); }, Qt::QueuedConnection);
    }
}
