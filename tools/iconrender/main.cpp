// vantrel-icon-render OUTDIR NAME SIZE...: writes the application icon as
// OUTDIR/hicolor/<S>x<S>/apps/NAME.png for each size, drawn by the application's own icon code.
#include <cstdio>

#include <QDir>
#include <QImage>
#include <QStringList>

#include "app/AppIcon.h"

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: vantrel-icon-render OUTDIR NAME SIZE...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "vantrel-icon-render: bad size %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !vantrel::drawnIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "vantrel-icon-render: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
