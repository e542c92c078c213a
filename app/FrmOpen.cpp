#include "app/FrmOpen.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>

#include "view/Fonts.h"

namespace {

constexpr int kTwips = 15;

QRect twipsRect(int left, int top, int width, int height)
{
    return {left / kTwips, top / kTwips, width / kTwips, height / kTwips};
}

constexpr int kDirPathRole = Qt::UserRole + 1;

} // namespace

FrmOpen::FrmOpen(QWidget *mainWindow, const QString &startDir) : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(QStringLiteral("開啟檔案"));
    setFont(Fonts::ming(9.75));
    setFixedSize(7350 / kTwips, 4065 / kTwips);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(180, 180, 3015, 315));
    Dir1 = new QListWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(240, 600, 3195, 2340));
    Label1_0 = new QLabel(QStringLiteral("請選擇打字檔案…"), this);
    Label1_0->setObjectName(QStringLiteral("Label1(0)"));
    Label1_0->setGeometry(twipsRect(3900, 240, 2415, 255));
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(3600, 600, 3615, 2430));
    Label2 = new QLabel(QStringLiteral("檔名："), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twipsRect(360, 3180, 615, 255));
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setGeometry(twipsRect(1080, 3120, 4635, 375));
    txtFileName->setFont(Fonts::ming(12));
    Label1_1 = new QLabel(QStringLiteral("檔案類型：* . t x t"), this);
    Label1_1->setObjectName(QStringLiteral("Label1(1)"));
    Label1_1->setGeometry(twipsRect(360, 3600, 2415, 255));
    OKButton = new QPushButton(QStringLiteral("開啟"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twipsRect(6000, 3120, 1215, 375));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(twipsRect(6000, 3600, 1215, 375));

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, txtFileName);

    connect(Drive1, &QComboBox::activated, this, &FrmOpen::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        setDirPath(item->data(kDirPathRole).toString());
    });
    connect(File1, &QListWidget::itemClicked, this, &FrmOpen::File1_Click);
    // Moving through the list with the arrow keys picks the file as a click
    // does; the focus stays in the list.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> picked = File1->selectedItems();
        if (!picked.isEmpty())
            txtFileName->setText(picked.first()->text());
    });
    connect(File1, &QListWidget::itemActivated, this, &FrmOpen::File1_DblClick);
    connect(txtFileName, &QLineEdit::textChanged, this, &FrmOpen::txtFileName_Change);
    connect(OKButton, &QPushButton::clicked, this, &FrmOpen::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &FrmOpen::CancelButton_Click);

    // Centred over the main window; OK waits for a name.
    if (mainWindow) {
        const QRect m = mainWindow->frameGeometry();
        move(qRound(m.left() + (m.width() - width()) / 2.0),
             qRound(m.top() + (m.height() - height()) / 2.0));
    }
    OKButton->setEnabled(false);
    fillDrives();
    setDirPath(startDir.isEmpty() ? QDir::currentPath() : startDir);

    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->objectName().isEmpty())
            w->setAccessibleDescription(w->objectName());
    }
    // Ready for a typed name; Enter opens it.
    txtFileName->setFocus();
}

void FrmOpen::fillDrives()
{
    // The mounted volumes that hold files, and the home folder.
    QStringList roots{QDir::rootPath()};
    const QString home = QDir::homePath();
    roots << home;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady())
            continue;
        const QString root = v.rootPath();
        const bool removable = root.startsWith(QLatin1String("/media/"))
                               || root.startsWith(QLatin1String("/mnt/"))
                               || root.startsWith(QLatin1String("/run/media/"));
#if defined(Q_OS_WIN)
        const bool wanted = true;
#else
        const bool wanted = removable;
#endif
        if (wanted && !roots.contains(root))
            roots << root;
    }
    for (const QString &r : roots) {
        QString label = QDir::toNativeSeparators(r);
        if (r == home)
            label += QStringLiteral("  (家目錄)");
        Drive1->addItem(style()->standardIcon(r == home ? QStyle::SP_DirHomeIcon : QStyle::SP_DriveHDIcon),
                        label, r);
    }
}

void FrmOpen::setDirPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return;
    const QString clean = QDir(info.absoluteFilePath()).canonicalPath();
    if (clean.isEmpty() || clean == m_dir)
        return;
    m_dir = clean;
    Dir1_Change();
}

void FrmOpen::Drive1_Change(int index)
{
    setDirPath(Drive1->itemData(index).toString());
}

void FrmOpen::Dir1_Change()
{
    fillDirs();
    fillFiles();
    // Show the drive that holds the folder.
    int best = -1;
    qsizetype bestLen = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString r = Drive1->itemData(i).toString();
        const QString prefix = r.endsWith(QLatin1Char('/')) ? r : r + QLatin1Char('/');
        if ((m_dir == r || m_dir.startsWith(prefix)) && r.size() > bestLen) {
            best = i;
            bestLen = r.size();
        }
    }
    if (best >= 0)
        Drive1->setCurrentIndex(best);
}

void FrmOpen::fillDirs()
{
    // The path from the root down to the folder shown, then its subfolders.
    Dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList chain;
    QDir d(m_dir);
    do {
        chain.prepend(d.absolutePath());
    } while (d.cdUp());
    int depth = 0;
    for (const QString &p : chain) {
        const QString name = depth == 0 ? QDir::toNativeSeparators(p) : QFileInfo(p).fileName();
        auto *item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, Dir1);
        item->setData(kDirPathRole, p);
        ++depth;
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    const QFileInfoList subdirs =
        QDir(m_dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &s : subdirs) {
        auto *item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + s.fileName(), Dir1);
        item->setData(kDirPathRole, s.absoluteFilePath());
    }
}

void FrmOpen::fillFiles()
{
    File1->clear();
    // "*.txt" in any letter case; hidden files stay hidden.
    const QStringList files = QDir(m_dir).entryList({QStringLiteral("*.txt")},
                                                    QDir::Files | QDir::Readable,
                                                    QDir::Name | QDir::IgnoreCase);
    File1->addItems(files);
}

QString FrmOpen::chosenPath() const
{
    // A name as listed is used exactly, blanks at either end included; only
    // a typed name loses the blanks around it.
    QString name = txtFileName->text();
    if (File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
        name = name.trimmed();
    if (name.isEmpty())
        return {};
    return QDir(m_dir).filePath(name);
}

void FrmOpen::File1_Click(QListWidgetItem *item)
{
    if (!item)
        return;
    txtFileName->setText(item->text());
    OKButton->setFocus();
}

void FrmOpen::File1_DblClick(QListWidgetItem *item)
{
    if (!item)
        return;
    txtFileName->setText(item->text());
    accept();
}

void FrmOpen::txtFileName_Change(const QString &text)
{
    // OK is usable once the box names something; typing stays in the box.
    OKButton->setEnabled(!text.trimmed().isEmpty());
}

void FrmOpen::OKButton_Click()
{
    if (!txtFileName->text().trimmed().isEmpty())
        accept();
}

void FrmOpen::CancelButton_Click()
{
    reject();
}

void FrmOpen::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Two small marks before the prompt (Shape5).
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    const int y = Label1_0->geometry().center().y();
    for (int x : {Label1_0->x() - 16, Label1_0->x() - 8})
        p.drawEllipse(QPoint(x, y), 3, 3);
}
