#pragma once

#include "colour_scheme.h"

#include <QObject>

class QGroupBox;
class QLabel;
class QMainWindow;
class QTabWidget;
class SchemesPage;
class SectionHost;
class SlideShow;
class SlidesPage;
namespace Settings {
struct Record;
}

// The colour schemes and the slide show of the main window: the two settings
// pages "Скины" and "Слайды", the picture in the corner and the current fonts.
class Appearance : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Appearance)

public:
    static constexpr int kSchemesPage = 2;
    static constexpr int kSlidesPage = 3;

    // Takes clicks on the picture; the two pages are built by buildPages().
    Appearance(SectionHost& host, QMainWindow* window, QLabel* picture);

    // Puts the two pages on the settings page control, once, as the settings
    // section is built.
    void buildPages(QTabWidget* pages);
    // A section box whose controls were built after start-up takes the
    // scheme the window has, as if it had been there when it was applied.
    void paintLateSection(QGroupBox* box) const;

    // Start-up: puts the scheme named by Skin on the window; when there is no
    // such scheme or anything fails the window keeps its look.
    void applyStoredScheme();
    // Puts the editor's scheme on the window.
    void ApplyScheme();
    // The slide set-up, from the settings held in memory: at start-up and
    // after every settings save.
    void SlideSetUp();
    // The settings save takes the slide values from the page "Слайды".
    void readSlidePage(Settings::Record& settings) const;

    // A page of the settings page control has become the active one.
    void PageControl1Change();
    void Image1Click();

    // The look on the window now; its main font is the one secondary windows take.
    const SchemeLook& currentLook() const { return m_current; }

    // Null until the settings section is built.
    SchemesPage* schemesPage() const { return m_schemesPage; }
    SlidesPage* slidesPage() const { return m_slidesPage; }
    SlideShow* slideShow() const { return m_slideShow; }

signals:
    void mainFontChanged(const QFont& font);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(const SchemeLook& look);

    SectionHost& m_host;
    QMainWindow* m_window;
    QTabWidget* m_pages = nullptr;
    QLabel* m_picture;
    SchemeLook m_current;
    SchemeLook m_design;
    bool m_schemeApplied = false;
    SchemesPage* m_schemesPage = nullptr;
    SlidesPage* m_slidesPage = nullptr;
    SlideShow* m_slideShow = nullptr;
};
