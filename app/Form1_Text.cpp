// The main window's practice texts: laying a text out in the text window,
// scrolling, the three lesson menus and practice files.

#include "app/Form1.h"

#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "view/AppInfo.h"
#include "view/FontPages.h"
#include "app/FrmOpen.h"
#include "keyboard/KeyboardView.h"
#include "practice/Lessons.h"
#include "practice/PracticeFile.h"
#include "practice/TextWindow.h"

namespace {

QString layoutProblem(LayoutLimit limit)
{
    switch (limit) {
    case LayoutLimit::TooManyPositions:
        return QStringLiteral("要打的注音字元超過 %1 個，請分成幾個較短的檔案。").arg(kMaxPositions);
    case LayoutLimit::SheetTooTall:
        return QStringLiteral("文字太長，無法顯示，請分成幾個較短的檔案。");
    case LayoutLimit::None:
        break;
    }
    return {};
}

} // namespace

LayoutGeometry Form1::layoutGeometry() const
{
    LayoutGeometry g;
    g.titleLeft = titleLeft;
    g.titleTop = titleTop;
    g.titleWidth = titleWidth;
    g.wordTop = wordTop;
    g.wordWidth = wordWidth;
    return g;
}

bool Form1::LoadPracticeText(TokenTable &table, const QString &sourceName, const QString &title)
{
    // Lay the text out first: a text beyond the limits changes nothing.
    TextLayout layout;
    const LayoutLimit limit = LayOutText(table, layoutGeometry(), layout);
    if (limit != LayoutLimit::None) {
        showMessage(QMessageBox::Warning,
                    QStringLiteral("無法載入打字檔 %1：").arg(sourceName) + layoutProblem(limit));
        return false;
    }

    if (!title.isEmpty())
        setWindowTitle(title);
    ClearRunDisplay();
    // Another text ends the review of an article.
    if (!m_keepArticle)
        closeArticle();
    textLayout = std::move(layout);
    curPos = 0;
    picWindow->picWd->setTextLayout(&textLayout);
    picWindow->picWd->resize(picWindow->picWd->width(), textLayout.sheetHeight);
    SetScrollRange(true);
    cmdStart->setEnabled(true);
    cmdEnd->setEnabled(true);
    cmdSandH->setEnabled(true);
    cmdStart->setFocus();
    prepareKeyLooks();
    FontPages::releaseSoon(); // once the text's glyphs have been read
    return true;
}

namespace {

// Sets one property of position k's echo label and repaints the cell when it
// changed.
template <typename T>
void setEchoProperty(Form1 *f, int k, T PositionCell::*property, const T &value)
{
    if (k < 1 || k > f->positionCount())
        return;
    PositionCell &c = f->textLayout.positions[k - 1];
    if (c.*property == value)
        return;
    c.*property = value;
    f->picWindow->picWd->updateEcho(k);
}

} // namespace

void Form1::setEcho(int k, const QString &caption)
{
    setEchoProperty(this, k, &PositionCell::echo, caption);
}

void Form1::setEchoVisible(int k, bool visible)
{
    setEchoProperty(this, k, &PositionCell::echoVisible, visible);
}

void Form1::setEchoBack(int k, VbColor color)
{
    setEchoProperty(this, k, &PositionCell::echoBack, color);
}

void Form1::SetScrollRange(bool resetToTop)
{
    TextSheet *sheet = picWindow->picWd;
    QScrollBar *bar = picWindow->VScroll1;
    const int frame = picWindow->height();
    if (sheet->height() < frame)
        sheet->resize(sheet->width(), frame);
    bar->resize(bar->width(), frame - 3);
    bar->setSingleStep(28);
    bar->setPageStep(frame);
    bar->setMinimum(0);
    bar->setMaximum(sheet->height() - frame);
    if (resetToTop)
        bar->setValue(0);
}

void Form1::VScroll1_Change(int value)
{
    picWindow->moveSheet(wdHomeLeft, wdHomeTop - value);
}

void Form1::ScrollToPos(qint16 pos)
{
    if (pos < 1 || pos > positionCount())
        return;
    QScrollBar *bar = picWindow->VScroll1;
    const int frame = picWindow->height();
    // The bar's value that brings a line whose symbols' top is t (in the
    // frame) down to the frame's bottom, its echoes in view.
    const auto scrolledTo = [&](int t) { return std::min(bar->value() + t + 56 - frame, bar->maximum()); };
    const int t = picWindow->sheetPos().y() + textLayout.positions[pos - 1].top;
    if (t + 56 > frame) {
        bar->setValue(scrolledTo(t));
        FontPages::releaseSoon(); // a new line, new glyphs
    } else if (t < 0) {
        bar->setValue(std::max(bar->minimum(), bar->value() - (-t) - 28));
        FontPages::releaseSoon();
    }
    // Where the bar goes once the learner reaches the next line, so that its
    // look is ready by then.
    const int below = picWindow->sheetPos().y() + textLayout.positions[pos - 1].top + kLineHeight;
    picWindow->VScroll1->expectValue(std::max(scrolledTo(below), bar->value()));
}

// The looks the text's keys take in a run, rendered while the learner reads:
// at rest, marked as the next key, pressed, and pressed while marked (a key
// typed twice in a row).
void Form1::prepareKeyLooks()
{
    std::vector<KeyboardView::KeyLook> looks;
    std::array<bool, kMaxKeyNumber + 1> seen{};
    for (const PositionCell &c : textLayout.positions) {
        const KeyNumber k = PositionKeyOf(c.symbol).key;
        if (k < 1 || k > kMaxKeyNumber || seen[k])
            continue;
        seen[k] = true;
        for (const bool sunk : {false, true}) {
            for (const KeyBorder &b : {kRestBorder, kNextKeyBorder})
                looks.push_back({k, b.color, b.width, sunk});
        }
    }
    picKey->prepareLooks(std::move(looks));
}

// --- The lesson menus --------------------------------------------------------

namespace {

void fillLessonMenu(QMenu *menu, QList<QAction *> &items, const QString &itemName,
                    Lessons::Menu which, const std::function<void(int)> &handler)
{
    const int n = Lessons::count(which);
    for (int i = 2; i <= n; ++i) {
        QAction *a = menu->addAction(QString());
        a->setObjectName(QStringLiteral("%1(%2)").arg(itemName).arg(i));
        items.append(a);
    }
    for (int i = 1; i <= n && i < items.size(); ++i) {
        items[i]->setText(Lessons::caption(which, i));
        QObject::connect(items[i], &QAction::triggered, menu, [handler, i] { handler(i); });
    }
}

} // namespace

void Form1::FillLessonMenus()
{
    if (m_lessonMenusFilled)
        return;
    m_lessonMenusFilled = true;
    FillBaseMenu();
    FillDocMenu();
    FillClassDocMenu();
}

bool Form1::event(QEvent *event)
{
    const bool firstPaint = event->type() == QEvent::UpdateRequest && !m_lessonMenusFilled;
    const bool done = QMainWindow::event(event);
    if (firstPaint) {
        // Posted now, the menus are filled once this paint is on the screen.
        QMetaObject::invokeMethod(this, &Form1::FillLessonMenus, Qt::QueuedConnection);
    }
    return done;
}

void Form1::FillBaseMenu()
{
    fillLessonMenu(mnuB, mnuBase, QStringLiteral("mnuBase"), Lessons::Menu::Base,
                   [this](int i) { mnuBase_Click(i); });
}

void Form1::FillDocMenu()
{
    fillLessonMenu(mnuD, mnuDoc, QStringLiteral("mnuDoc"), Lessons::Menu::Doc,
                   [this](int i) { mnuDoc_Click(i); });
}

void Form1::FillClassDocMenu()
{
    fillLessonMenu(mnuC, mnuClassDoc, QStringLiteral("mnuClassDoc"), Lessons::Menu::ClassDoc,
                   [this](int i) { mnuClassDoc_Click(i); });
}

namespace {

// A lesson handler: stop the clock, cut the text into tokens, title the
// window with the item's caption and lay the text out.
void loadLesson(Form1 *f, QAction *item, QString text, Lessons::Menu menu, int index)
{
    f->Timer1->stop();
    TokenTable table;
    SplitLessonText(table, text);
    if (f->LoadPracticeText(table, item->text(), AppInfo::title() + QLatin1Char('_') + item->text()))
        f->currentText = TextRef::builtIn(menu, qint16(index));
}

} // namespace

void Form1::mnuBase_Click(int index)
{
    FillLessonMenus();
    if (index >= 1 && index < mnuBase.size())
        loadLesson(this, mnuBase[index], GetBaseText(static_cast<qint16>(index)), Lessons::Menu::Base, index);
}

void Form1::mnuDoc_Click(int index)
{
    FillLessonMenus();
    if (index >= 1 && index < mnuDoc.size())
        loadLesson(this, mnuDoc[index], GetDocText(static_cast<qint16>(index)), Lessons::Menu::Doc, index);
}

void Form1::mnuClassDoc_Click(int index)
{
    FillLessonMenus();
    if (index >= 1 && index < mnuClassDoc.size())
        loadLesson(this, mnuClassDoc[index], GetClassDocText(static_cast<qint16>(index)), Lessons::Menu::ClassDoc, index);
}

// --- Practice files ----------------------------------------------------------

namespace {

// The window title shows a name as it is: "[*]" would otherwise be taken for
// the modified-document mark and vanish.
QString titleWithName(const QString &separator, const QString &name)
{
    QString literal = name;
    literal.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return AppInfo::title() + separator + literal;
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Big5:
        return QStringLiteral("Big5");
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16");
    }
    return {};
}

// Why a practice file cannot be opened, or nothing when it can.
QString practiceFileProblem(const PracticeFileResult &file, const QString &name, const QString &path)
{
    using Status = PracticeFileResult::Status;
    switch (file.status) {
    case Status::Ok:
        break;
    case Status::NotFound:
        return QStringLiteral("找不到打字用的文字檔%1\r\n以下位置沒有這個檔案：\r\n%2")
            .arg(name, QDir::toNativeSeparators(path));
    case Status::Folder:
        return QStringLiteral("無法開啟打字檔 %1：這是資料夾，不是文字檔。").arg(name);
    case Status::NotAFile:
        return QStringLiteral("無法開啟打字檔 %1：這不是一般的檔案（而是裝置、管道或通訊端），不是文字檔。").arg(name);
    case Status::LinkLoop:
        return QStringLiteral("無法開啟打字檔 %1：符號連結繞成了迴圈，找不到真正的檔案。").arg(name);
    case Status::Unreadable:
        return QStringLiteral("無法讀取打字檔 %1：%2").arg(name, file.error);
    case Status::TooLarge:
        return QStringLiteral("無法開啟打字檔 %1：檔案太大（超過 %2 MB），不是打字檔。")
            .arg(name, QString::number(kMaxPracticeFileBytes / (1024 * 1024)));
    case Status::TooManyLines:
        return QStringLiteral("無法開啟打字檔 %1：超過 %2 行文字，請分成幾個較短的檔案。")
            .arg(name, QString::number(kMaxPracticeTokens));
    case Status::TooManySymbols:
        return QStringLiteral("無法載入打字檔 %1：").arg(name) + layoutProblem(LayoutLimit::TooManyPositions);
    }
    return {};
}

} // namespace

void Form1::mnuOpen_Click()
{
    FrmOpen dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return; // Cancel loads nothing and changes nothing
    const QString path = dialog.chosenPath();
    const QString name = FileNameOf(path);

    PracticeFileResult file = ReadPracticeFile(path);
    const QString problem = practiceFileProblem(file, name, path);
    if (!problem.isEmpty()) {
        showMessage(QMessageBox::Warning, problem);
        return;
    }

    practiceFilePath = path;
    // A file without tokens leaves the name out of the title.
    const QString title = titleWithName(QStringLiteral("__"), file.table.isEmpty() ? QString() : name);
    const TextRef text = TextRef::file(path, file.table);
    if (!LoadPracticeText(file.table, name, title))
        return;
    currentText = text;
    if (file.firstBadLine > 0) {
        showMessage(QMessageBox::Warning,
                    QStringLiteral("打字檔 %1 以 %2 編碼讀入，但第 %3 行起有無法辨識的位元組，已顯示為「\uFFFD」。")
                        .arg(name, encodingName(file.encoding), QString::number(file.firstBadLine)));
    }
}
