// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the window's icon as vorna-<size>.png for each size given, for the desktop
// entry's icon theme. The 32 x 32 picture is scaled by whole pixels, so it stays crisp.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>

#include "app/icon.h"

int main(int argc, char **argv)
{
    // Nothing is shown; a display is not needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vorna-icon-export <folder> <size>...\n");
        return 2;
    }
    const QDir folder(args[0]);
    const QImage base = vorna::app::vornaIcon().pixmap(32, 32).toImage().convertToFormat(
        QImage::Format_ARGB32);
    for (const QString &arg : args.mid(1)) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size < 32 || size % 32 != 0) {
            std::fprintf(stderr, "size must be a multiple of 32: %s\n", qPrintable(arg));
            return 2;
        }
        const QString path = folder.filePath(QStringLiteral("vorna-%1.png").arg(size));
        const QImage image = base.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
