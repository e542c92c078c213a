#include <QApplication>

#include "app/Form1.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QUILLORY_VERSION_MAJOR)
                                            .arg(QUILLORY_VERSION_MINOR)
                                            .arg(QUILLORY_VERSION_PATCH));
    QApplication::setDesktopFileName(QStringLiteral("org.quillory.Quillory"));

    Form1 form;
    form.show();
    return app.exec();
}
