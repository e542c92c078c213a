#include <QAccessible>
#include <QApplication>
#include <QTimer>

#include "annotate/AnnotateCommand.h"
#include "app/FontListLoader.h"
#include "app/Form1.h"
#include "view/AppStyle.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char *argv[])
{
    // quillory --annotate IN.txt [OUT.txt] writes a practice file without a window.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--annotate") == 0) {
            QCoreApplication core(argc, argv);
            return annotate::runAnnotateCommand(QCoreApplication::arguments().mid(1));
        }
    }

#if defined(__GLIBC__)
    // The program's few threads allocate little: one heap for all of them
    // keeps the pages a heap of their own would hold.
    mallopt(M_ARENA_MAX, 1);
#endif
    FontListLoader fontList;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QUILLORY_VERSION_MAJOR)
                                            .arg(QUILLORY_VERSION_MINOR)
                                            .arg(QUILLORY_VERSION_PATCH));
    QApplication::setDesktopFileName(QStringLiteral("org.quillory.Quillory"));
    QApplication::setStyle(makeAppStyle());

    fontList.applicationReady();
    // The window's first caption would set up the accessibility bridge; it
    // is set up here, while the font list is being built.
    QAccessible::isActive();
    fontList.wait();

    Form1 form;
    form.show();
    // quillory FILE: a practice file, or any Chinese text as an article.
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString &a : arguments) {
        if (!a.startsWith(QLatin1Char('-'))) {
            QTimer::singleShot(0, &form, [&form, a] { form.OpenTextFile(a); });
            break;
        }
    }
    return app.exec();
}
