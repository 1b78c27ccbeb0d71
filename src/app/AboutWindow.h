#pragma once
// The about window: Dexaro's logo for the light or the dark appearance, its
// name, version, credit line, web address and rights lines. Made once and
// reused; closing it only hides it.
#include "app/CustomOrdinaryWindow.h"

#include <QString>

class QLabel;

namespace dexaro {

class WorkAreas;

// The logo, drawn from SVG for the appearance in effect.
class AboutWindowLogoImageView : public QWidget {
    Q_OBJECT
public:
    AboutWindowLogoImageView(const QString& originalImage, const QString& darkModeImage,
                             QWidget* parent = nullptr);
    QString originalImage() const { return m_originalImage; }
    QString darkModeImage() const { return m_darkModeImage; }
    QString shownImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_originalImage;
    QString m_darkModeImage;
};

class AboutWindow : public CustomOrdinaryWindow {
    Q_OBJECT
public:
    static constexpr int contentWidth = 400;
    static constexpr int contentHeight = 390;
    static inline const QString webAddress = QStringLiteral("https://dexaro.org");

    // version: as CMake's project version; empty leaves only the logo and the name.
    explicit AboutWindow(const QString& version = QStringLiteral(DEXARO_VERSION),
                         QWidget* parent = nullptr);

    // "Version: " and the version.
    static QString versionLine(const QString& version);
    // The first rights line, with the year given.
    static QString rightsLine(int year);

    AboutWindowLogoImageView* logo() const { return m_logo; }
    // The labels from the name down, in order (the link among them).
    QList<QLabel*> texts() const { return m_texts; }

    // Centres the window in the work area of the monitor it is on (the primary
    // one at first) and brings it to the front with the keyboard focus.
    // Without work areas, centred on the primary screen as a whole.
    void showCentred(WorkAreas* workAreas = nullptr);

private:
    AboutWindowLogoImageView* m_logo = nullptr;
    QList<QLabel*> m_texts;
};

} // namespace dexaro
