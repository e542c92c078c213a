#include "app/FrmSplash.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionButton>
#include <QUrl>

#include "view/AppInfo.h"
#include "view/Fonts.h"

namespace {

constexpr int kTwips = 15; // twips per pixel

QRect twipsRect(int left, int top, int width, int height)
{
    return {left / kTwips, top / kTwips, width / kTwips, height / kTwips};
}

QLabel *makeLabel(QWidget *parent, const QString &name, QRect geometry)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// Labels sized to their text: right-aligned ones keep their right edge,
// centred ones their centre.
QRect fittedToText(QLabel *label)
{
    const QRect old = label->geometry();
    const QSize hint = label->sizeHint();
    QRect r(old.topLeft(), QSize(hint.width(), qMax(old.height(), hint.height())));
    if (label->alignment() & Qt::AlignRight)
        r.moveRight(old.right());
    else if (label->alignment() & Qt::AlignHCenter)
        r.moveLeft(old.center().x() - r.width() / 2);
    return r;
}

// The width a push button leaves for its caption.
int captionWidth(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.features = button->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width()
           - button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
}

} // namespace

FrmSplash::HomePage FrmSplash::homePage()
{
    const QString address = AppInfo::homePage();
    if (!address.isEmpty())
        return {address, QUrl(address)};
    // The documentation installed with the program: share/doc/quillory beside
    // the folder of the program, or in the system's data folders.
    const QString doc = QStringLiteral("doc/quillory/README.md");
    QStringList places{QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") + doc};
    places += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, doc);
    for (const QString &place : places) {
        const QFileInfo info(place);
        if (info.isFile())
            return {QDir::toNativeSeparators(info.canonicalFilePath()), QUrl::fromLocalFile(info.canonicalFilePath())};
    }
    return {};
}

std::function<bool(const QUrl &)> FrmSplash::openUrl = [](const QUrl &url) {
    return QDesktopServices::openUrl(url);
};

FrmSplash::FrmSplash(QWidget *mainWindow) : QDialog(mainWindow), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmSplash"));
    // No title: a single blank, since the platform puts the program's name
    // on a window whose title is empty.
    setWindowTitle(QStringLiteral(" "));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(Fonts::ming(9.75));
    setFixedSize(4215 / kTwips, 3600 / kTwips);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(twipsRect(120, 60, 4020, 2970));

    imgLogo = makeLabel(Frame1, QStringLiteral("imgLogo"), twipsRect(360, 360, 1215, 1095));
    imgLogo->setScaledContents(true);
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/quillory/icon.png")));

    lblProductName = makeLabel(Frame1, QStringLiteral("lblProductName"), twipsRect(1860, 180, 1920, 345));
    lblProductName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblProductName->setFont(Fonts::arialBlack(12, true));
    lblCompanyProduct = makeLabel(Frame1, QStringLiteral("lblCompanyProduct"), twipsRect(1920, 660, 1920, 180));
    lblCompanyProduct->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblVersion = makeLabel(Frame1, QStringLiteral("lblVersion"), twipsRect(3300, 900, 360, 180));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblCopyright = makeLabel(Frame1, QStringLiteral("lblCopyright"), twipsRect(1020, 1140, 2835, 255));
    lblCopyright->setAlignment(Qt::AlignRight | Qt::AlignTop);
    // Chinese in the copyright line in the Ming face of the other labels.
    QFont copyrightFont = Fonts::arial(9);
    copyrightFont.setFamilies(copyrightFont.families() + Fonts::ming(9).families());
    lblCopyright->setFont(copyrightFont);
    lblCompany = makeLabel(Frame1, QStringLiteral("lblCompany"), twipsRect(1440, 1440, 2415, 255));
    lblCompany->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblNote = makeLabel(Frame1, QStringLiteral("lblNote"), twipsRect(60, 1800, 3795, 975));
    lblNote->setWordWrap(true);
    lblNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(3000, 3120, 1035, 315));
    Command1->setDefault(true);
    cmdPage = new QPushButton(this);
    cmdPage->setObjectName(QStringLiteral("cmdPage"));
    cmdPage->setGeometry(twipsRect(120, 3120, 2775, 315));
    setTabOrder(Command1, cmdPage);
    setTabOrder(cmdPage, Command1);

    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdPage, &QPushButton::clicked, this, &FrmSplash::cmdPage_Click);

    // Clicks on the box, its frame, the logo and every label close it; so does
    // any character key, whichever control has the focus.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    Form_Load();
    for (QWidget *w : findChildren<QWidget *>())
        w->setAccessibleDescription(w->objectName());
    Command1->setFocus();
}

void FrmSplash::Form_Load()
{
    // 1. Place the box relative to the main window (twips, fraction dropped).
    if (m_main) {
        const QRect mainFrame = m_main->frameGeometry();
        const QPoint pos = AboutBoxPosition(mainFrame.left() * kTwips, mainFrame.top() * kTwips,
                                            mainFrame.width() * kTwips, mainFrame.height() * kTwips);
        move(pos.x() / kTwips, pos.y() / kTwips);
    }
    // 2-4. The texts.
    lblVersion->setText(AppInfo::versionText());
    lblProductName->setText(AppInfo::applicationTitle());
    lblCompanyProduct->setText(AppInfo::productName());
    lblCopyright->setText(AppInfo::copyright());
    lblCompany->setText(AppInfo::companyName());
    lblNote->setText(AppInfo::comments());
    // The home page's address, shortened in the middle when the button is
    // too narrow for it; without one the button has nothing to open.
    const HomePage page = homePage();
    cmdPage->setText(cmdPage->fontMetrics().elidedText(page.caption, Qt::ElideMiddle, captionWidth(cmdPage)));
    cmdPage->setToolTip(page.caption);
    cmdPage->setAccessibleName(page.caption);
    cmdPage->setVisible(!page.caption.isEmpty());
    layOutLabels();
}

void FrmSplash::layOutLabels()
{
    // Each label keeps its place where its text lets it: sized to its text,
    // moved down when it would touch the label above, and below the logo when
    // it is too wide to stand beside it.
    constexpr int gap = 2;
    const QRect inside = Frame1->contentsRect().adjusted(gap, gap, -gap, -gap);
    const QRect logo = imgLogo->geometry();
    int bottom = inside.top();
    for (QLabel *l : {lblProductName, lblCompanyProduct, lblVersion, lblCopyright, lblCompany}) {
        QRect r = fittedToText(l);
        r.moveTop(qMax(r.top(), bottom));
        if (r.left() <= logo.right() + gap && r.top() <= logo.bottom() + gap)
            r.moveTop(logo.bottom() + gap + 1);
        if (r.left() < inside.left())
            r.moveLeft(inside.left());
        l->setGeometry(r);
        bottom = r.bottom() + 1 + gap;
    }
    QRect note = lblNote->geometry();
    note.setTop(qMax(note.top(), bottom));
    note.setBottom(inside.bottom());
    lblNote->setGeometry(note);
}

void FrmSplash::cmdPage_Click()
{
    // The platform's opener shows the page in the default browser, or the
    // documentation in the desktop's viewer; the box stays open.
    const HomePage page = homePage();
    if (page.url.isEmpty() || !openUrl(page.url)) {
        QMessageBox box(QMessageBox::Warning, AppInfo::title(),
                        QStringLiteral("無法開啟 %1，請自行開啟。").arg(page.caption), QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.setFont(font());
        box.exec();
    }
}

bool FrmSplash::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        if (watched != cmdPage && watched != Command1) {
            accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Enter presses the focused button (OK closes, the page button opens
        // the page); Tab and Shift+Tab move between the two buttons; any
        // other character closes the box.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
            || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            break;
        if (!key->text().isEmpty()) {
            accept();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
