#include "app/shared/AppAssets.h"

#include <QImageReader>

// The resources live in a static library, so they must be registered by hand
// before the first look-up; this must happen outside any namespace.
static void registerAssets() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace nxa::app {

namespace {

QImage load(const QString &name) {
    registerAssets();
    return QImage(QStringLiteral(":/assets/") + name);
}

} // namespace

QImage splashPicture() {
    return load(QStringLiteral("splash.png"));
}

QList<QImage> spinnerFrames() {
    QList<QImage> frames;
    for (int i = 0; i < kSpinnerFrameCount; ++i)
        frames.append(load(QStringLiteral("spinner%1.png").arg(i)));
    return frames;
}

QImage productPicture() {
    return load(QStringLiteral("product.jpg"));
}

QImage operationPicture() {
    return load(QStringLiteral("operation.png"));
}

QIcon trayIconPicture() {
    registerAssets();
    QIcon icon;
    QImageReader reader(QStringLiteral(":/assets/tray.ico"));
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

} // namespace nxa::app
