#include "app/FrmSplash.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/AppInfo.h"
#include "app/Fonts.h"

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
void fitToText(QLabel *label)
{
    const QRect old = label->geometry();
    const QSize hint = label->sizeHint();
    QRect r(old.topLeft(), QSize(hint.width(), qMax(old.height(), hint.height())));
    if (label->alignment() & Qt::AlignRight)
        r.moveRight(old.right());
    else if (label->alignment() & Qt::AlignHCenter)
        r.moveLeft(old.center().x() - r.width() / 2);
    label->setGeometry(r);
}

} // namespace

std::function<bool(const QUrl &)> FrmSplash::openUrl = [](const QUrl &url) {
    return QDesktopServices::openUrl(url);
};

FrmSplash::FrmSplash(QWidget *mainWindow) : QDialog(mainWindow), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
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
    lblCopyright->setFont(Fonts::arial(9));
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
    cmdPage->setText(AppInfo::homePage());
    for (QLabel *l : {lblProductName, lblCompanyProduct, lblVersion, lblCopyright, lblCompany})
        fitToText(l);
}

void FrmSplash::cmdPage_Click()
{
    // The platform's URL opener starts the default browser; the box stays open.
    if (!openUrl(QUrl(AppInfo::homePage()))) {
        QMessageBox box(QMessageBox::Warning, AppInfo::title(),
                        QStringLiteral("無法開啟網頁 %1，請在瀏覽器中自行開啟。").arg(AppInfo::homePage()),
                        QMessageBox::Ok, this);
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
        // the page); any other character closes the box.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
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
