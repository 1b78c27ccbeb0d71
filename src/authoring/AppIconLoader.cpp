#include "authoring/AppIconLoader.h"

#include "authoring/InstalledAppsScan.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>
#include <QUrl>

namespace dexaro {

AppIconLoader::AppIconLoader(QSize size, QObject* parent)
    : QObject(parent), m_size(size),
      m_placeholder(load(QString::fromLatin1(placeholderAppImagePath), size)) {
    m_pool.setMaxThreadCount(2);
}

AppIconLoader::~AppIconLoader() {
    // A decode running now posts to this object; it must be done before it goes.
    m_pool.clear();
    m_pool.waitForDone();
}

void AppIconLoader::request(const QString& location) {
    if (m_pending.contains(location))
        return;
    m_pending.insert(location);
    const QSize size = m_size;
    const QImage placeholder = m_placeholder;
    m_pool.start([this, location, size, placeholder] {
        QImage image = load(location, size);
        if (image.isNull())
            image = placeholder;
        QMetaObject::invokeMethod(
            this,
            [this, location, image] {
                m_pending.remove(location);
                emit loaded(location, image);
            },
            Qt::QueuedConnection);
    });
}

QString AppIconLoader::filePath(const QString& location) {
    if (location.startsWith(QLatin1String("qrc:"))) {
        const QString path = QUrl(location).path();
        return path.isEmpty() ? QString() : QLatin1Char(':') + path;
    }
    if (location.startsWith(QLatin1String("file:")))
        return QUrl(location).toLocalFile();
    if (location.startsWith(QLatin1Char('/')) || location.startsWith(QLatin1Char(':')))
        return location;
    return {};
}

QImage AppIconLoader::load(const QString& location, QSize size) {
    const QString path = filePath(location);
    if (path.isEmpty() || size.isEmpty())
        return {};
    // A FIFO or device would block the reader, a huge file would be read whole.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxFileBytes)
        return {};
    QImageReader reader(path);
    const QSize stated = reader.size();
    // A vector picture is drawn at the tile's size whatever size it states.
    const bool scalable = reader.format().startsWith("svg");
    if (stated.isValid()) {
        const bool absurd = stated.width() > maxStatedSide || stated.height() > maxStatedSide;
        if (stated.isEmpty() || (absurd && !scalable))
            return {};
        reader.setScaledSize(stated.scaled(size, Qt::KeepAspectRatio));
    } else {
        reader.setScaledSize(size);
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > size.width() || image.height() > size.height())
        image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace dexaro
