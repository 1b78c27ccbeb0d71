#pragma once
// Decodes application icons for the picker's tiles on a pool of its own, at
// the tile's icon size. A location is a file:// URL, a qrc: URL or a plain
// path; whatever cannot be read (missing, not a regular file, broken, too
// large) is delivered as the placeholder icon, so that no tile stays blank.
// Results are delivered on the thread that owns the loader.
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QThreadPool>

namespace dexaro {

class AppIconLoader : public QObject {
    Q_OBJECT
public:
    // Larger files, or raster pictures stating a larger side, are refused
    // rather than decoded: a raster picture is decoded whole before it is
    // scaled, and 4096 x 4096 is 64 MiB on each of the loader's two threads.
    static constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
    static constexpr int maxStatedSide = 4096;

    explicit AppIconLoader(QSize size, QObject* parent = nullptr);
    ~AppIconLoader() override;

    QSize size() const { return m_size; }
    // Starts decoding location unless it is being decoded already.
    void request(const QString& location);
    bool isPending(const QString& location) const { return m_pending.contains(location); }
    // Waits for every decode under way; the results still arrive as events.
    void waitForDone() { m_pool.waitForDone(); }

    // Synchronous: the picture at location fitted into size (aspect kept); a
    // null image when it cannot be read.
    static QImage load(const QString& location, QSize size);
    // The placeholder icon at the loader's size: what an unreadable icon shows.
    const QImage& placeholder() const { return m_placeholder; }
    // The local file (or resource path) a location names; empty when it names none.
    static QString filePath(const QString& location);

signals:
    void loaded(const QString& location, const QImage& image);

private:
    QSize m_size;
    QImage m_placeholder;
    QSet<QString> m_pending;
    QThreadPool m_pool;
};

} // namespace dexaro
