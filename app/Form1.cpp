#include "app/Form1.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QResource>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include "view/AppInfo.h"
#include "view/CountLabel.h"
#include "app/CapsLock.h"
#include "view/FontPages.h"
#include "view/Fonts.h"
#include "app/FrmSplash.h"
#include "app/Shapes.h"
#include "view/VbColor.h"
#include "article/ArticleDocument.h"
#include "article/ArticleReview.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"
#include "record/RecordStore.h"

namespace {

constexpr int kTwipsPerPixel = 15;

// Tick marks under the speed meter (Line9(0..5)): x, from y 28 to 40.
constexpr int kLine9X[] = {458, 326, 596, 394, 525, 561};

// The client area below the menu bar; it paints the window's own lines.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Form1Client"));
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, toQColor(Palette::WindowGrey));
        setPalette(pal);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(Qt::black);
        for (int x : kLine9X)
            p.drawLine(x, 28, x, 40);
    }
};

// The program's icon, from its raw pixels (assets/icon.sh makes them from
// icon.png): a PNG would be read through Qt's image reader, which first
// loads every image-format plugin it has.
QIcon programIcon()
{
    constexpr int kSide = 64;
    const QResource raw(QStringLiteral(":/quillory/icon.rgba"));
    if (!raw.isValid() || raw.compressionAlgorithm() != QResource::NoCompression || raw.size() != kSide * kSide * 4)
        return QIcon(QStringLiteral(":/quillory/icon.png"));
    const QImage pixels(raw.data(), kSide, kSide, kSide * 4, QImage::Format_RGBA8888);
    return QIcon(QPixmap::fromImage(pixels.copy()));
}

template <typename Label = QLabel>
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, QRect geometry)
{
    auto *l = new Label(caption, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        QRect geometry, const QString &toolTip = {})
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    // Enter presses the focused button, as Space does.
    b->setAutoDefault(true);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    return b;
}

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(Fonts::ming(9.75));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(Palette::WindowGrey));
    setPalette(pal);
    // Raw keys must reach the window even while an input method is active.
    setAttribute(Qt::WA_InputMethodEnabled, false);

    // The run's clock and the window's message boxes.
    monotonicMs = [] {
        static QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }();
        return clock.elapsed();
    };
    showMessage = [this](QMessageBox::Icon icon, const QString &text) {
        QMessageBox box(icon, AppInfo::title(), text, QMessageBox::Ok, this);
        box.setFont(font());
        // File names are shown as they are, never read as markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    askQuestion = [this](const QString &text, const QList<QuestionButton> &buttons) {
        QMessageBox box(QMessageBox::Question, AppInfo::title(), text, QMessageBox::NoButton, this);
        box.setTextFormat(Qt::PlainText);
        for (const QuestionButton &b : buttons)
            box.addButton(b.button)->setText(b.caption);
        if (!buttons.isEmpty())
            box.setDefaultButton(buttons.front().button);
        box.exec();
        return box.standardButton(box.clickedButton());
    };
    run.setDisplay(this);
    // Text files and text dropped on the window open as articles.
    setAcceptDrops(true);

    auto *client = new ClientArea(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    createControls(client);
    createMenus();
    wireKeyboard();
    // After the menu bar's own: the window decides first which keys the menu
    // bar may have (ShortcutOverride), and Esc reaches the run from an open menu.
    installEventFilter(this);
    for (QMenu *m : {mnuFile, mnuB, mnuD, mnuC, mnuR, mnuE})
        m->installEventFilter(this);
    wireRecord();

    Form_Load();
    describeControlsForAccessibility();

    // Key preview: the window's own events come first, whichever control
    // has the focus.
    winId();
    windowHandle()->installEventFilter(this);

    // Once the window has been drawn, the pages of the fonts read for it
    // are given back.
    FontPages::releaseSoon();
}

Form1::~Form1()
{
    // The review layer reads the article and the laid-out text, which are
    // members and die before QWidget deletes the children; closing the
    // window then moves the focus out of the layer, which repaints.
    if (articleReview)
        articleReview->setDocument(nullptr, nullptr);
}

void Form1::createControls(QWidget *client)
{
    // Progress bar and its scale.
    Picture1[0] = new MeterBox(Palette::Blue, client);
    Picture1[0]->setObjectName(QStringLiteral("Picture1(0)"));
    Picture1[0]->setGeometry(12, 4, 271, 21);
    Picture1[0]->setBar(0, 0, 1635, 255); // shpPro as drawn
    Label4[0] = makeLabel(client, QStringLiteral("Label4(0)"), QStringLiteral("0%"), {8, 28, 21, 17});
    Label4[2] = makeLabel(client, QStringLiteral("Label4(2)"), QStringLiteral("50%"), {140, 28, 21, 17});
    Label4[1] = makeLabel(client, QStringLiteral("Label4(1)"), QStringLiteral("100%"), {264, 28, 33, 17});

    // Speed meter and its scale.
    Picture1[1] = new MeterBox(Palette::Red, client);
    Picture1[1]->setObjectName(QStringLiteral("Picture1(1)"));
    Picture1[1]->setGeometry(328, 4, 271, 21);
    Picture1[1]->setBar(-60, 0, 2055, 255); // shpSpeed as drawn
    const QString scale[] = {QStringLiteral("烏龜"), QStringLiteral("黃牛"), QStringLiteral("野兔"),
                             QStringLiteral("羚羊"), QStringLiteral("獵豹")};
    const int scaleX[] = {344, 416, 480, 532, 568};
    for (int i = 0; i < 5; ++i) {
        Label2[3 + i] = makeLabel(client, QStringLiteral("Label2(%1)").arg(3 + i), scale[i],
                                  {scaleX[i], 28, 29, 17});
    }

    // Clock and counters.
    Label2[0] = makeLabel(client, QStringLiteral("Label2(0)"), QStringLiteral("打字時間："), {636, 4, 73, 13});
    Label1 = makeLabel(client, QStringLiteral("Label1"), QStringLiteral("0:0:0"), {712, 4, 69, 13});
    Label2[1] = makeLabel(client, QStringLiteral("Label2(1)"), QStringLiteral(" 正確按鍵："), {632, 20, 73, 13});
    lblRight = makeLabel<CountLabel>(client, QStringLiteral("lblRight"), QStringLiteral("0"), {700, 20, 77, 13});
    Label2[2] = makeLabel(client, QStringLiteral("Label2(2)"), QStringLiteral("錯誤按鍵："), {636, 36, 73, 13});
    lblWrong = makeLabel<CountLabel>(client, QStringLiteral("lblWrong"), QStringLiteral("0"), {704, 36, 73, 13});
    // The clock and the counters change while the learner types. On a ground
    // of their own, the window's grey, they repaint alone, not the window
    // and the captions beside them (whose text ends before they begin).
    for (QLabel *l : {Label1, lblRight, lblWrong})
        l->setAutoFillBackground(true);

    // Caps Lock lamp.
    shpCapsL = new ShapeWidget(client);
    shpCapsL->setObjectName(QStringLiteral("shpCapsL"));
    shpCapsL->setGeometry(540, 52, 13, 17);
    shpCapsL->setBackColor(Palette::Grey);
    shpCapsL->setBorderWidth(2);
    Label3_1 = makeLabel(client, QStringLiteral("Label3(1)"), QStringLiteral("Caps Lock"), {536, 72, 29, 29});
    Label3_1->setWordWrap(true);
    Label3_1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // Keyboard layouts.
    frmKeySet = new QGroupBox(QStringLiteral("鍵盤設定"), client);
    frmKeySet->setObjectName(QStringLiteral("frmKeySet"));
    frmKeySet->setGeometry(24, 52, 233, 45);
    const QString keyCaptions[] = {QStringLiteral("小Enter鍵"), QStringLiteral("\\ 鍵在上"),
                                   QStringLiteral("\\ 鍵在下")};
    const QRect keyRects[] = {{8, 16, 77, 21}, {84, 16, 69, 21}, {160, 16, 69, 21}};
    for (int i = 0; i < 3; ++i) {
        optKey[i] = new QRadioButton(keyCaptions[i], frmKeySet);
        optKey[i]->setObjectName(QStringLiteral("optKey(%1)").arg(i));
        optKey[i]->setGeometry(keyRects[i]);
    }
    optKey[0]->setChecked(true);
    // Option buttons as compact as the window's design: a small gap between
    // the circle and the caption.
    const QString compact = QStringLiteral("QRadioButton { spacing: 2px; }");
    frmKeySet->setStyleSheet(compact);

    // Speed classes.
    frmClass = new QGroupBox(QStringLiteral("等級設定"), client);
    frmClass->setObjectName(QStringLiteral("frmClass"));
    frmClass->setGeometry(280, 52, 237, 45);
    const QString classCaptions[] = {QStringLiteral("初學"), QStringLiteral("入門"),
                                     QStringLiteral("一般"), QStringLiteral("飆速")};
    const QRect classRects[] = {{8, 16, 49, 21}, {64, 16, 53, 21}, {120, 16, 53, 21}, {180, 16, 49, 21}};
    for (int i = 0; i < 4; ++i) {
        optClass[i] = new QRadioButton(classCaptions[i], frmClass);
        optClass[i]->setObjectName(QStringLiteral("optClass(%1)").arg(i));
        optClass[i]->setGeometry(classRects[i]);
        optClass[i]->setToolTip(QStringLiteral("%1鍵/秒").arg(i + 1));
        connect(optClass[i], &QRadioButton::clicked, this, [this, i] { optClass_Click(i); });
    }
    frmClass->setStyleSheet(compact);

    // Buttons: Start first in the tab order.
    cmdStart = makeButton(client, QStringLiteral("cmdStart"), QStringLiteral("開  始"),
                          {732, 56, 49, 25}, QStringLiteral("開始打字"));
    cmdStart->setFont(Fonts::ming(9));
    cmdSandH = makeButton(client, QStringLiteral("cmdSandH"), QStringLiteral("隱藏鍵盤"), {576, 56, 81, 25});
    cmdEnd = makeButton(client, QStringLiteral("cmdEnd"), QStringLiteral("關  閉"), {668, 56, 53, 25},
                        QStringLiteral("結束程式"));
    connect(cmdEnd, &QPushButton::clicked, this, &Form1::cmdEnd_Click);
    connect(cmdStart, &QPushButton::clicked, this, &Form1::cmdStart_Click);

    lblEsc = makeLabel(client, QStringLiteral("lblEsc"), QString(), {628, 88, 157, 17});
    lblReview = makeLabel(client, QStringLiteral("lblReview"), QString(), {568, 89, 213, 17});
    lblReview->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblReview->hide();

    // The text window and the drawn keyboard.
    picWindow = new TextWindow(client);
    picWindow->move(8, 108);
    connect(picWindow->VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
    picKey = new KeyboardView(client);
    picKey->move(32, 244);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    tmrHand = new QTimer(this);
    tmrHand->setObjectName(QStringLiteral("tmrHand"));
    tmrHand->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    // Tab order: Start first, then the other buttons, the options and the text window.
    setTabOrder(cmdStart, cmdEnd);
    setTabOrder(cmdEnd, cmdSandH);
    setTabOrder(cmdSandH, optKey[0]);
    setTabOrder(optKey[0], optClass[0]);
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    mnuFile = bar->addMenu(QStringLiteral("開啟檔案及中斷(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen = mnuFile->addAction(QStringLiteral("開啟打字檔(& O)..."));
    mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(mnuOpen, &QAction::triggered, this, &Form1::mnuOpen_Click);
    mnuOpenArticle = mnuFile->addAction(QStringLiteral("開啟文章…"));
    mnuOpenArticle->setObjectName(QStringLiteral("mnuOpenArticle"));
    mnuOpenArticle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(mnuOpenArticle, &QAction::triggered, this, &Form1::mnuOpenArticle_Click);
    mnuPasteArticle = mnuFile->addAction(QStringLiteral("貼上文章"));
    mnuPasteArticle->setObjectName(QStringLiteral("mnuPasteArticle"));
    mnuPasteArticle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    connect(mnuPasteArticle, &QAction::triggered, this, &Form1::mnuPasteArticle_Click);
    mnuSaveArticle = mnuFile->addAction(QStringLiteral("存成打字檔…"));
    mnuSaveArticle->setObjectName(QStringLiteral("mnuSaveArticle"));
    mnuSaveArticle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveArticle->setEnabled(false); // until an article is shown
    connect(mnuSaveArticle, &QAction::triggered, this, &Form1::mnuSaveArticle_Click);
    mnuEsc = mnuFile->addAction(QStringLiteral("中斷打字Esc"));
    mnuEsc->setObjectName(QStringLiteral("mnuEsc"));
    connect(mnuEsc, &QAction::triggered, this, &Form1::mnuEsc_Click);
    mnuB1 = mnuFile->addSeparator();
    mnuB1->setObjectName(QStringLiteral("mnuB1"));
    mnuExit = mnuFile->addAction(QStringLiteral("結束(&X)"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);

    // Each lesson menu holds one item as drawn; start-up adds the others.
    auto lessonMenu = [&](const QString &caption, const QString &name, const QString &itemName,
                          QList<QAction *> &items) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(name);
        items = {nullptr, m->addAction(QString())};
        items[1]->setObjectName(QStringLiteral("%1(1)").arg(itemName));
        return m;
    };
    mnuB = lessonMenu(QStringLiteral("基本課程(&B)"), QStringLiteral("mnuB"), QStringLiteral("mnuBase"), mnuBase);
    mnuD = lessonMenu(QStringLiteral("詩詞選練(&D)"), QStringLiteral("mnuD"), QStringLiteral("mnuDoc"), mnuDoc);
    mnuC = lessonMenu(QStringLiteral("短文選練(&C)"), QStringLiteral("mnuC"), QStringLiteral("mnuClassDoc"), mnuClassDoc);

    mnuR = bar->addMenu(QStringLiteral("紀錄(&R)"));
    mnuR->setObjectName(QStringLiteral("mnuR"));
    mnuRecord = mnuR->addAction(QStringLiteral("學習紀錄"));
    mnuRecord->setObjectName(QStringLiteral("mnuRecord"));
    mnuWeakDrill = mnuR->addAction(QStringLiteral("弱鍵練習"));
    mnuWeakDrill->setObjectName(QStringLiteral("mnuWeakDrill"));

    mnuE = bar->addMenu(QStringLiteral("說明(E)"));
    mnuE->setObjectName(QStringLiteral("mnuE"));
    mnuPos[1] = mnuE->addAction(QStringLiteral("指法圖"));
    mnuPos[1]->setObjectName(QStringLiteral("mnuPos(1)"));
    mnuPos[2] = mnuE->addAction(QStringLiteral("姿勢"));
    mnuPos[2]->setObjectName(QStringLiteral("mnuPos(2)"));
    mnuPos[2]->setEnabled(false); // the posture chart does nothing
    mnuAbout = mnuE->addAction(QStringLiteral("關於…"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);

    // Each menu opens as a window of its own, which would take the desktop's
    // font: it takes the menu bar's.
    for (QMenu *m : {mnuFile, mnuB, mnuD, mnuC, mnuR, mnuE})
        m->setFont(bar->font());
}

void Form1::Form_Load()
{
    // 1-2. Size and place the window.
    placeWindow();

    // 3. The templates of the text window's labels are hidden (the sheet
    //    paints only laid-out cells).

    // 4-5. Rest positions of the key tops; the Zhuyin table is constant data.
    rest.recordDefaultLayout();

    // 6. Collapse the two bars.
    Picture1[0]->setBar(0, 0, 0, Picture1[0]->barHeight());
    Picture1[1]->setBar(0, 0, 0, Picture1[1]->barHeight());

    // 7. The practice clock.
    Timer1->setInterval(500);
    Timer1->stop();

    // 8. The Caps Lock lamp.
    if (IsCapsLockOn())
        shpCapsL->setBackColor(Palette::Green);

    // 9. Geometry of the text window's label templates.
    titleLeft = 4;
    titleTop = 28;
    titleWidth = 17;
    wordLeft = 4;
    wordTop = 0;
    wordWidth = 21;

    // 10-11. The templates stay hidden; the "Enter" label is never shown.

    // 12. Home position of the text sheet.
    wdHomeLeft = 0;
    wdHomeTop = 0;

    // 13-14. The big-Enter parts and the home-key captions start hidden in
    //        the keyboard's own state.

    // 15-16. Speed class "一般".
    optClass[2]->setChecked(true);
    optClass_Click(2);
    speedClass = 3;

    // 17. The run hint.
    lblEsc->setText(QStringLiteral("按Esc鍵可以中斷打字"));
    lblEsc->hide();

    // 18. The lesson menus, filled once the window is on the screen: they
    //     are not part of its first paint.
    for (QMenu *m : {mnuB, mnuD, mnuC})
        connect(m, &QMenu::aboutToShow, this, &Form1::FillLessonMenus);

    cmdStart->setFocus();
}

void Form1::placeWindow()
{
    // The outer height as designed leaves the client area below the menu bar
    // showing the keyboard and not the strip under it.
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, kClientHeight + menuHeight);

    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect full = screen->geometry();
    // Centred across, 250 twips above the vertical centre.
    int left = full.left() + (full.width() - width()) / 2;
    int top = full.top() + (full.height() - height()) / 2 - 250 / kTwipsPerPixel;
    // On a small screen that would push the title bar off the top and leave the
    // window impossible to move: keep the frame inside the available area.
    const QRect avail = screen->availableGeometry();
    const QMargins frame = frameGeometry().size() == size()
                               ? QMargins()
                               : QMargins(geometry().left() - frameGeometry().left(),
                                          geometry().top() - frameGeometry().top(), 0, 0);
    left = qMax(left, avail.left());
    top = qMax(top, avail.top() + frame.top());
    move(left, top);
}

bool Form1::IsCapsLockOn() const
{
    return CapsLock::isOn();
}


void Form1::optClass_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    optClass[index]->setChecked(true);
    speedClass = static_cast<qint16>(index + 1);
    recorder.context().speedClass = speedClass;
    UpdateSpeedMeter();
}

void Form1::mnuAbout_Click()
{
    FrmSplash box(this);
    box.exec();
}

void Form1::cmdEnd_Click()
{
    QApplication::quit();
}

void Form1::mnuExit_Click()
{
    QApplication::quit();
}

void Form1::describeControlsForAccessibility()
{
    // Captions are the accessible names; the control names become the
    // descriptions, so assistive technology and tests find each control.
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->objectName().isEmpty() && w->accessibleDescription().isEmpty())
            w->setAccessibleDescription(w->objectName());
    }
    setAccessibleDescription(objectName());
}
