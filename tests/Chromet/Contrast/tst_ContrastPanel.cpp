#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Contrast/ContrastBadge.h"
#include "Chromet/Contrast/ContrastColorChooser.h"
#include "Chromet/Contrast/ContrastEmptyView.h"
#include "Chromet/Contrast/ContrastPanel.h"
#include "Chromet/Contrast/ContrastSample.h"
#include "Chromet/Contrast/ContrastStyle.h"
#include "Chromet/Contrast/ContrastView.h"
#include "Chromet/Contrast/ContrastViewState.h"
#include "OrinPanel/FloatingPanelController.h"
#include "OrinTheme/WindowEffects.h"

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// A picked color as the loupe makes it: the sRGB triple and its Display P3 match.
PickedColor srgbColor(double r, double g, double b) {
    const RGB srgb{r, g, b};
    return PickedColor{srgb,
                       rgbComponents(srgb, QColorSpace(QColorSpace::SRgb), QColorSpace::DisplayP3)};
}

const PickedColor black = srgbColor(0, 0, 0);
const PickedColor white = ContrastState::white();
const PickedColor steel = srgbColor(0.2, 0.4, 0.6);
const PickedColor grey = srgbColor(0.5, 0.5, 0.5);
const PickedColor amber = srgbColor(1, 0.8, 0);

QStringList menuTitles(ContrastColorChooser *chooser) {
    chooser->rebuildMenu();
    QStringList titles;
    for (QAction *action : chooser->menu()->actions())
        titles << action->text();
    return titles;
}

void choose(ContrastColorChooser *chooser, const QString &title) {
    const qsizetype at = menuTitles(chooser).indexOf(title);
    QVERIFY2(at >= 0, qPrintable(title));
    chooser->menu()->actions().at(at)->trigger();
}

QString ratioText(const PickedColor &text, const PickedColor &background) {
    return Contrast::ratioText(Contrast::contrastRatio(text, background));
}

bool near(const QColor &a, const QColor &b, int tolerance = 2) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class tst_ContrastPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        WindowEffects::setCompositorOverride(true);
        m_panel = std::make_unique<ContrastPanel>();
        PanelScreens screens;
        screens.displays = [] {
            return QList<PanelDisplay>{
                {u"Main"_s, QRect(0, 0, 1920, 1080), QRect(0, 32, 1920, 1048)}};
        };
        screens.pointer = [] {
            return QPoint(100, 100);
        };
        m_panel->setScreens(screens);
    }
    void cleanup() {
        m_panel.reset();
        WindowEffects::setCompositorOverride(std::nullopt);
    }
    void emptyViewThenPicksThenClose() {
        m_panel->toggle({}, false);
        ContrastView *view = m_panel->view();
        QVERIFY(view->showsEmptyView());
        QCOMPARE(view->emptyView()->headlineLabel()->text(), u"Pick a color first"_s);
        // A pick while open: that color as text on white.
        m_panel->update({grey});
        QVERIFY(!view->showsEmptyView());
        QCOMPARE(view->textChooser()->hexText(), u"#808080"_s);
        QCOMPARE(view->backgroundChooser()->hexText(), u"#FFFFFF"_s);
        QCOMPARE(view->ratioLabel()->text(), ratioText(grey, white));
        QCOMPARE(view->lcLabel()->text(), Contrast::lcText(Contrast::apcaContrast(grey, white)));
        QStringList badges;
        for (ContrastBadge *badge : view->badges()) {
            badges << badge->accessibleName();
            QCOMPARE(badge->symbolName(), badge->passes() ? u"checkmark"_s : u"xmark"_s);
        }
        QCOMPARE(badges,
                 (QStringList{"AA fails", "AA Large passes", "AAA fails", "AAA Large fails"}));
        QTest::mouseClick(view->swapButton(), Qt::LeftButton);
        QCOMPARE(view->textChooser()->hexText(), u"#FFFFFF"_s);
        QCOMPARE(view->lcLabel()->text(), Contrast::lcText(Contrast::apcaContrast(white, grey)));
        QTest::mouseClick(view->closeButton(), Qt::LeftButton);
        QVERIFY(!m_panel->isVisible());
        // Clearing the history goes back to the empty view, whose close button works too.
        m_panel->toggle({steel}, false);
        m_panel->update({});
        QVERIFY(m_panel->view()->showsEmptyView());
        QTest::mouseClick(m_panel->view()->closeButton(), Qt::LeftButton);
        QVERIFY(!m_panel->isVisible());
    }
    void hexCaseFixedWhileOpen() {
        m_panel->toggle({amber}, true);
        QCOMPARE(menuTitles(m_panel->view()->backgroundChooser()),
                 (QStringList{"#ffffff", "#ffcc00"}));
        // The preference changed meanwhile; the open panel keeps its case until reopened.
        m_panel->update({steel, amber});
        QCOMPARE(m_panel->view()->textChooser()->hexText(), u"#ffcc00"_s);
        m_panel->toggle({steel, amber}, false);
        m_panel->toggle({steel, amber}, false);
        QCOMPARE(m_panel->view()->backgroundChooser()->hexText(), u"#FFCC00"_s);
    }
    void chooserMenusFollowTheLibrary() {
        m_panel->toggle({steel}, false);
        ContrastView *view = m_panel->view();
        // White is not in the history and comes first.
        QCOMPARE(menuTitles(view->textChooser()), QStringList{"#336699"});
        QCOMPARE(menuTitles(view->backgroundChooser()), (QStringList{"#FFFFFF", "#336699"}));
        m_panel->update({amber, steel, grey});
        QCOMPARE(menuTitles(view->backgroundChooser()),
                 (QStringList{"#FFCC00", "#336699", "#808080"}));
        choose(view->backgroundChooser(), u"#FFCC00"_s);
        choose(view->textChooser(), u"#808080"_s);
        QCOMPARE(m_panel->holder()->state().model()->background, amber);
        QCOMPARE(m_panel->holder()->state().model()->text, grey);
        QCOMPARE(view->ratioLabel()->text(), ratioText(grey, amber));
        // Hidden: updates are ignored; the next opening starts afresh from the history then.
        FloatingPanelController *first = m_panel->controller();
        m_panel->toggle({}, false);
        QVERIFY(!m_panel->isVisible());
        QCOMPARE(m_panel->controller(), first);
        m_panel->update({black});
        QCOMPARE(m_panel->holder()->state().history(), (QList<PickedColor>{amber, steel, grey}));
        m_panel->toggle({steel, amber}, false);
        QCOMPARE(m_panel->holder()->state().model()->text, steel);
        QCOMPARE(m_panel->holder()->state().model()->background, amber);
    }
    // Tab reaches the views; Escape hides.
    void keys() {
        m_panel->toggle({steel, amber}, false);
        FloatingPanel *panel = m_panel->controller()->panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        ContrastView *view = m_panel->view();
        view->textChooser()->setFocus();
        QTRY_VERIFY(view->textChooser()->hasFocus());
        QTest::keyClick(panel->windowHandle(), Qt::Key_Tab);
        QTRY_VERIFY(!view->textChooser()->hasFocus());
        QVERIFY(m_panel->isVisible());
        QTest::keyClick(panel->windowHandle(), Qt::Key_Escape);
        QVERIFY(!m_panel->isVisible());
    }
    void drawsP3Colors() {
        // The swatch and the sample paint the P3 triple matched back to the screen.
        m_panel->toggle({steel, amber}, false);
        ContrastView *view = m_panel->view();
        const QColor steelOnScreen = ContrastStyle::displayColor(steel.p3);
        QVERIFY(near(steelOnScreen, QColor(0x33, 0x66, 0x99), 1));
        const QImage chooser = view->textChooser()->grab().toImage();
        const QFontMetrics caption(ContrastStyle::font(ContrastStyle::captionSize));
        const QPoint swatchCentre(2 + ContrastColorChooser::swatchSize.width() / 2,
                                  2 + caption.height() + 4 + 12);
        QVERIFY2(near(chooser.pixelColor(swatchCentre), steelOnScreen),
                 qPrintable(chooser.pixelColor(swatchCentre).name()));
        const QImage sample = view->sample()->grab().toImage();
        QVERIFY(
            near(sample.pixelColor(6, sample.height() / 2), ContrastStyle::displayColor(amber.p3)));
        // Out of the sRGB gamut: clipped, not wrapped.
        QCOMPARE(ContrastStyle::displayColor(RGB{1, 0, 0}), QColor(255, 0, 0));
    }

private:
    std::unique_ptr<ContrastPanel> m_panel;
};

QTEST_MAIN(tst_ContrastPanel)
#include "tst_ContrastPanel.moc"
