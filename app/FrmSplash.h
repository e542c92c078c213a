#pragma once
// The About box: name, version, copyright, maker, a description, and a button
// that opens the home page. Almost any click or key closes it.

#include <QDialog>
#include <QPoint>
#include <QUrl>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

// Where the About box opens: a quarter of the main window's width to the right
// of, and a quarter of its height below, the main window's corner (all twips;
// the quarter drops its fraction).
constexpr QPoint AboutBoxPosition(int mainLeft, int mainTop, int mainWidth, int mainHeight)
{
    return {mainLeft + mainWidth / 4, mainTop + mainHeight / 4};
}

class FrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit FrmSplash(QWidget *mainWindow);

    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *lblNote = nullptr;
    QPushButton *cmdPage = nullptr;
    QPushButton *Command1 = nullptr;

    void Form_Load();

    // The home page: the address given when the program was built, or else
    // the documentation installed with the program. Empty when there is none.
    struct HomePage {
        QString caption;
        QUrl url;
    };
    static HomePage homePage();

    // Opens the home page; the platform's URL opener unless a test replaces it.
    static std::function<bool(const QUrl &)> openUrl;

public slots:
    void cmdPage_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOutLabels();

    QWidget *m_main;
};
