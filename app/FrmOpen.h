#pragma once
// The open dialog for practice files: a drive list, a directory list, a list
// of the folder's "*.txt" files and a name box.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class FrmOpen : public QDialog {
    Q_OBJECT
public:
    explicit FrmOpen(QWidget *mainWindow, const QString &startDir = QString());

    QComboBox *Drive1 = nullptr;
    QListWidget *Dir1 = nullptr;
    QListWidget *File1 = nullptr;
    QLineEdit *txtFileName = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QLabel *Label1_0 = nullptr;
    QLabel *Label1_1 = nullptr;
    QLabel *Label2 = nullptr;

    // The folder the lists show (Dir1.Path).
    QString dirPath() const { return m_dir; }
    void setDirPath(const QString &path);
    // The file to open: the name in the box, relative to the folder shown.
    QString chosenPath() const;

public slots:
    void Drive1_Change(int index);
    void Dir1_Change();
    void File1_Click(QListWidgetItem *item);
    void File1_DblClick(QListWidgetItem *item);
    void txtFileName_Change(const QString &text);
    void OKButton_Click();
    void CancelButton_Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fillDrives();
    void fillDirs();
    void fillFiles();

    QString m_dir;
};
