#pragma once
// The main window: every control, the menu bar, start-up, and the handlers
// that wire the window's events to the core.

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "keyboard/HandDemo.h"
#include "practice/KeyCatalogue.h"
#include "practice/TextLayout.h"
#include "practice/TokenTable.h"
#include "record/RunRecorder.h"
#include "run/PracticeRun.h"

class ArticleDocument;
class ArticleReview;
class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class KeyboardView;
class MeterBox;
class RecordStore;
class ShapeWidget;
class TextWindow;
namespace annotate { class Annotator; }

class Form1 : public QMainWindow, private RunDisplay {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The visible client area below the menu bar: the whole drawn keyboard
    // (bottom edge at y 525) and a margin, not the strip below it.
    static constexpr int kClientWidth = 794;
    static constexpr int kClientHeight = 535;

    // --- Controls, named as the window's design names them ---------------
    std::array<MeterBox *, 2> Picture1{};   // 0 progress box, 1 speed meter box
    std::array<QLabel *, 3> Label4{};       // "0%", "100%", "50%"
    std::array<QLabel *, 8> Label2{};       // 0..2 counter captions, 3..7 speed scale
    QLabel *Label1 = nullptr;               // the clock
    QLabel *lblRight = nullptr;
    QLabel *lblWrong = nullptr;
    ShapeWidget *shpCapsL = nullptr;
    QLabel *Label3_1 = nullptr;             // "Caps Lock" under the lamp
    QGroupBox *frmKeySet = nullptr;
    std::array<QRadioButton *, 3> optKey{};
    QGroupBox *frmClass = nullptr;
    std::array<QRadioButton *, 4> optClass{};
    QPushButton *cmdSandH = nullptr;
    QPushButton *cmdEnd = nullptr;
    QPushButton *cmdStart = nullptr;
    QLabel *lblEsc = nullptr;
    QLabel *lblReview = nullptr;            // what to do while an article is reviewed
    TextWindow *picWindow = nullptr;         // holds VScroll1 and the sheet picWd
    KeyboardView *picKey = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *tmrHand = nullptr;

    // --- Menus ------------------------------------------------------------
    QMenu *mnuFile = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuOpenArticle = nullptr;  // "開啟文章…"
    QAction *mnuPasteArticle = nullptr; // "貼上文章"
    QAction *mnuSaveArticle = nullptr;  // "存成打字檔…"
    QAction *mnuEsc = nullptr;
    QAction *mnuB1 = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuB = nullptr;
    QMenu *mnuD = nullptr;
    QMenu *mnuC = nullptr;
    QList<QAction *> mnuBase;     // 1-based: index 0 is unused
    QList<QAction *> mnuDoc;
    QList<QAction *> mnuClassDoc;
    QMenu *mnuR = nullptr;
    QAction *mnuRecord = nullptr;    // "學習紀錄"
    QAction *mnuWeakDrill = nullptr; // "弱鍵練習"
    QMenu *mnuE = nullptr;
    std::array<QAction *, 3> mnuPos{}; // 1 "指法圖", 2 "姿勢"
    QAction *mnuAbout = nullptr;

    // --- Form-level state -------------------------------------------------
    RestPositions rest;            // keyLeft / keyTop by key number
    // Text-window geometry captured at start-up from the templates.
    qint32 titleLeft = 0, titleTop = 0, titleWidth = 0;
    qint32 wordLeft = 0, wordTop = 0, wordWidth = 0;
    qint32 wdHomeLeft = 0, wdHomeTop = 0;
    qint16 speedClass = 0;

    // --- Practice run (run/, app/Form1_Run.cpp) ---------------------------
    // The run's state: posCount, rightCount, wrongCount, typedKey,
    // runStartTime and elapsedSeconds live in the run; the names below are
    // the same variables.
    PracticeRun run;
    qint16 &curPos = run.curPos;
    qint16 &expectedKey = run.expectedKey;
    bool &charMode = run.charMode;
    bool blinkPhase = false;
    qint16 shiftHeld = 0;
    VbColor rememberedEchoBack = Palette::Yellow;
    // A key top's border at rest, and while it marks the next key to type.
    struct KeyBorder {
        VbColor color;
        int width;
    };
    static constexpr KeyBorder kRestBorder{Palette::Black, 1};
    static constexpr KeyBorder kNextKeyBorder{Palette::Red, 3};
    // The monotonic clock in milliseconds; tests replace it.
    std::function<qint64()> monotonicMs;
    // Shows a message box titled with the program's name; tests may replace it.
    std::function<void(QMessageBox::Icon, const QString &)> showMessage;
    // Asks a question in a message box titled with the program's name, with
    // these buttons (the first is the default); returns the one chosen, or
    // QMessageBox::NoButton when the box was closed. Tests may replace it.
    struct QuestionButton {
        QMessageBox::StandardButton button;
        QString caption;
    };
    std::function<QMessageBox::StandardButton(const QString &, const QList<QuestionButton> &)> askQuestion;

    bool runInProgress() const { return run.inProgress(); }
    // From the end of a run until its report has been closed: keys typed
    // meanwhile are not judged and change nothing.
    bool reportPending = false;
    void RunPractice();
    void LockForRun();
    void ClearRunDisplay();
    void ShowRunReport(const RunOutcome &outcome);
    void UpdateSpeedMeter();
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyPress(qint16 keyAscii);
    void Form_KeyUp(int keyCode, int shift);

    // --- Procedures -------------------------------------------------------
    void Form_Load();
    bool IsCapsLockOn() const;
    // The three lesson menus' items, once: after the window's first paint,
    // or sooner when a lesson menu is opened or a lesson chosen.
    void FillLessonMenus();
    void FillBaseMenu();
    void FillDocMenu();
    void FillClassDocMenu();

    // --- Text window (practice/, app/Form1_Text.cpp) ---------------------
    // The laid-out text: positions (lblTitle/lblTyping) and characters (lblWord).
    TextLayout textLayout;
    // The practice file last opened.
    QString practiceFilePath;

    // Lays the table out as the current text and, when given, titles the
    // window; when it cannot (beyond the limits of a run), says so naming
    // sourceName and changes nothing, the title included.
    bool LoadPracticeText(TokenTable &table, const QString &sourceName = QString(),
                          const QString &title = QString());
    // Where the text window's cells go, as captured at start-up.
    LayoutGeometry layoutGeometry() const;
    void SetScrollRange(bool resetToTop);
    void ScrollToPos(qint16 pos);
    void prepareKeyLooks();
    // Number of positions of the loaded text (upper index of lblTitle).
    qint32 positionCount() const { return static_cast<qint32>(textLayout.positions.size()); }
    // Echo label lblTyping(k) of position k (1-based).
    void setEcho(int k, const QString &caption);
    void setEchoVisible(int k, bool visible);
    void setEchoBack(int k, VbColor color);

    // --- The learner's record (record/, app/Form1_Record.cpp) ---------------
    // The loaded text as the record names it.
    TextRef currentText;
    // Collects each run's figures for the record.
    RunRecorder recorder;
    // The record's file; empty: the user's data folder. Opened at its first use.
    QString recordPath;
    std::unique_ptr<RecordStore> store;
    // A yes/no question titled with the program's name; tests may replace it.
    std::function<bool(const QString &)> askYesNo;
    RecordStore *OpenRecord();
    void ShowRecordProblem();
    void mnuRecord_Click();
    void mnuWeakDrill_Click();
    // --- Articles (article/, app/Form1_Article.cpp) ------------------------
    // Plain Chinese text with readings added, reviewed before practice.
    std::unique_ptr<ArticleDocument> article; // the article shown, if any
    ArticleReview *articleReview = nullptr;   // its review layer over the text sheet
    annotate::Annotator *annotator = nullptr; // the reading tables; tests may replace it
    QString articleFolder;                    // where the last article came from

    // Opens a text file: a practice file as it is, any other text as an
    // article. What cannot be opened is said in a message and changes nothing.
    bool OpenTextFile(const QString &path);
    // Takes text (pasted or dropped) the same way.
    bool OpenPastedText(const QString &text);
    // Writes the article as a practice file; false when it could not.
    bool SaveArticle(const QString &path, bool big5);

    // --- Keyboard (keyboard/, app/Form1_Keyboard.cpp) ---------------------
    void ShowShiftHint();
    void StopHandDemo();
    HandDemo handDemo;                 // the hands demonstration's places and start
    std::function<qint64()> handClock; // milliseconds, monotonic; tests set a fake one

public slots:
    void cmdStart_Click();
    void mnuEsc_Click();
    void Timer1_Timer();

    void mnuBase_Click(int index);
    void mnuDoc_Click(int index);
    void mnuClassDoc_Click(int index);
    void mnuOpen_Click();
    void mnuOpenArticle_Click();
    void mnuPasteArticle_Click();
    void mnuSaveArticle_Click();
    void VScroll1_Change(int value);

    void optKey_Click(int index);
    void cmdSandH_Click();
    void mnuPos_Click(int index);
    void tmrHand_Timer();
    void picKey_Click();

    void mnuAbout_Click();
    void optClass_Click(int index);
    void cmdEnd_Click();
    void mnuExit_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // What the run shows (RunDisplay).
    void beginPosition(qint16 pos, KeyNumber key) override;
    void showEcho(qint16 pos, const QString &text) override;
    void endPosition(qint16 pos, KeyNumber key, bool accepted) override;
    void wrongCounted() override;
    void runEnded(const RunOutcome &outcome) override;
    bool menuKeyBlocked(const QKeyEvent *e) const;
    void setPressed(KeyNumber key, bool pressed);
    void setCapsLamp();
    void setRunLocked(bool locked);
    void clearRunDisplays();

    void wireKeyboard();
    void wireRecord();
    void storeFinishedRuns();
    qint16 checkedLayout() const;
    std::vector<RecordedRun> finishedRuns; // waiting to be handed to the store
    QString recordProblem;                 // the store's message, shown once
    bool recordProblemShown = false;
    void createControls(QWidget *client);
    void createMenus();
    void placeWindow();
    void describeControlsForAccessibility();

    bool loadText(const QString &text, const QString &name, const QString &path);
    bool loadArticle(const QString &text, const QString &name, const QString &path);
    void closeArticle();
    void relayOutArticle();
    void updateArticleActions();
    bool m_runLocked = false;      // the controls are locked for a run
    bool m_lessonMenusFilled = false;
    bool m_keepArticle = false;    // set while an article's own text is laid out
    bool m_articlesUsable = true;  // false once the reading tables proved missing
};
