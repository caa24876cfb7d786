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

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

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
    chooser->rebuildMenu();
    for (QAction *action : chooser->menu()->actions()) {
        if (action->text() == title) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no menu entry ") + title));
}

QStringList badgeNames(ContrastView *view) {
    QStringList names;
    for (ContrastBadge *badge : view->badges())
        names << badge->accessibleName();
    return names;
}

bool near(const QColor &a, const QColor &b, int tolerance = 2) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class tst_ContrastPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void emptyViewThenFirstPick();
    void figuresAndBadges_data();
    void figuresAndBadges();
    void accessibilityAndTooltips();
    void hexCaseFixedWhileOpen();
    void chooserMenus();
    void swapButton();
    void followsLibraryWhileOpen();
    void escapeHidesOtherKeysPass();
    void toggleAndReopenStartsAfresh();
    void staysUpWhenDeactivated();
    void closeButtonHides();
    void drawsP3Colors();
    void placedOnPointerDisplay();

private:
    std::unique_ptr<ContrastPanel> m_panel;
    QPoint m_pointer{100, 100};
};

void tst_ContrastPanel::init() {
    WindowEffects::setCompositorOverride(true);
    m_panel = std::make_unique<ContrastPanel>();
    PanelScreens screens;
    screens.displays = [] {
        return QList<PanelDisplay>{
            {QStringLiteral("Main"), QRect(0, 0, 1920, 1080), QRect(0, 32, 1920, 1048)}};
    };
    screens.pointer = [this] {
        return m_pointer;
    };
    m_panel->setScreens(screens);
}

void tst_ContrastPanel::cleanup() {
    m_panel.reset();
    WindowEffects::setCompositorOverride(std::nullopt);
}

void tst_ContrastPanel::emptyViewThenFirstPick() {
    m_panel->toggle({}, false);
    QVERIFY(m_panel->isVisible());
    ContrastView *view = m_panel->view();
    QVERIFY(view->showsEmptyView());
    QCOMPARE(view->size(), QSize(360, 220));
    ContrastEmptyView *empty = view->emptyView();
    QCOMPARE(empty->headlineLabel()->text(), QStringLiteral("Pick a color first"));
    QCOMPARE(empty->messageLabel()->text(), QStringLiteral("Contrast compares your recent picks."));
    QCOMPARE(empty->symbolLabel()->property("symbolName").toString(), QStringLiteral("eyedropper"));
    QCOMPARE(empty->symbolLabel()->pixmap().deviceIndependentSize(), QSizeF(24, 24));
    QVERIFY(view->closeButton()->isVisible());

    // A pick while open: that color as text on white.
    m_panel->update({steel});
    QVERIFY(!view->showsEmptyView());
    QCOMPARE(view->textChooser()->hexText(), QStringLiteral("#336699"));
    QCOMPARE(view->backgroundChooser()->hexText(), QStringLiteral("#FFFFFF"));
    QCOMPARE(view->ratioLabel()->text(), QStringLiteral("6.00:1"));

    // Clearing the history goes back to the empty view.
    m_panel->update({});
    QVERIFY(view->showsEmptyView());
}

void tst_ContrastPanel::figuresAndBadges_data() {
    QTest::addColumn<PickedColor>("text");
    QTest::addColumn<PickedColor>("background");
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<QString>("lc");
    QTest::addColumn<QStringList>("badges");
    QTest::newRow("white on black")
        << white << black << "21.00:1"
        << "Lc -107.9"
        << QStringList{"AA passes", "AA Large passes", "AAA passes", "AAA Large passes"};
    QTest::newRow("grey on white")
        << grey << white << "3.98:1"
        << "Lc 67.1" << QStringList{"AA fails", "AA Large passes", "AAA fails", "AAA Large fails"};
}

void tst_ContrastPanel::figuresAndBadges() {
    QFETCH(PickedColor, text);
    QFETCH(PickedColor, background);
    QFETCH(QString, ratio);
    QFETCH(QString, lc);
    QFETCH(QStringList, badges);
    m_panel->toggle({text, background}, false);
    ContrastView *view = m_panel->view();
    QCOMPARE(view->ratioLabel()->text(), ratio);
    QCOMPARE(view->lcLabel()->text(), lc);
    QCOMPARE(badgeNames(view), badges);
    for (ContrastBadge *badge : view->badges())
        QCOMPARE(badge->symbolName(),
                 badge->passes() ? QStringLiteral("checkmark") : QStringLiteral("xmark"));
    QCOMPARE(view->ratioLabel()->font().pixelSize(), 24);
    QCOMPARE(view->lcLabel()->font().pixelSize(), 15);
    // Ratio and Lc share their first baseline.
    const int ratioBaseline =
        view->ratioLabel()->y() + QFontMetrics(view->ratioLabel()->font()).ascent();
    const int lcBaseline = view->lcLabel()->y() + QFontMetrics(view->lcLabel()->font()).ascent();
    QCOMPARE(lcBaseline, ratioBaseline);
    // The pair is one centred group, 10 apart, clear of the close button.
    const auto frame = [view](QWidget *w) {
        return QRect(w->mapTo(view, QPoint()), w->size());
    };
    const QRect left = frame(view->textChooser());
    const QRect swap = frame(view->swapButton());
    const QRect right = frame(view->backgroundChooser());
    QCOMPARE(swap.left() - left.right() - 1, 10);
    QCOMPARE(right.left() - swap.right() - 1, 10);
    QVERIFY(qAbs(left.left() - (view->width() - 1 - right.right())) <= 1);
    QVERIFY(!right.intersects(frame(view->closeButton())));
    // The badges share the width equally, in order.
    const auto &row = view->badges();
    for (size_t i = 1; i < row.size(); ++i) {
        QVERIFY(row[i]->x() > row[i - 1]->x());
        QVERIFY(qAbs(row[i]->width() - row[0]->width()) <= 1);
    }
}

void tst_ContrastPanel::accessibilityAndTooltips() {
    m_panel->toggle({steel, amber}, false);
    ContrastView *view = m_panel->view();
    QCOMPARE(view->textChooser()->accessibleName(), QStringLiteral("Text color"));
    QCOMPARE(view->backgroundChooser()->accessibleName(), QStringLiteral("Background color"));
    QCOMPARE(view->textChooser()->role(), QStringLiteral("Text"));
    QCOMPARE(view->backgroundChooser()->role(), QStringLiteral("Background"));
    QCOMPARE(view->swapButton()->accessibleName(), QStringLiteral("Swap colors"));
    QCOMPARE(view->swapButton()->toolTip(), QStringLiteral("Swap text and background"));
    QCOMPARE(view->swapButton()->property("symbolName").toString(),
             QStringLiteral("arrow.left.arrow.right"));
    QVERIFY(!view->swapButton()->icon().isNull());
    QCOMPARE(view->closeButton()->accessibleName(), QStringLiteral("Close"));
    QCOMPARE(view->closeButton()->toolTip(), QStringLiteral("Close"));
    QCOMPARE(view->closeButton()->property("symbolName").toString(),
             QStringLiteral("xmark.circle.fill"));
    // Top trailing corner.
    QCOMPARE(view->closeButton()->geometry().topRight(), QPoint(359, 0));
    QCOMPARE(view->sample()->text(), QStringLiteral("Aa"));
    QVERIFY(view->sample()->height() >= 52);
}

void tst_ContrastPanel::hexCaseFixedWhileOpen() {
    m_panel->toggle({amber}, true);
    QCOMPARE(m_panel->view()->textChooser()->hexText(), QStringLiteral("#ffcc00"));
    QCOMPARE(menuTitles(m_panel->view()->backgroundChooser()), (QStringList{"#ffffff", "#ffcc00"}));
    // The preference changed meanwhile; the open panel keeps its case until reopened.
    m_panel->update({steel, amber});
    QCOMPARE(m_panel->view()->textChooser()->hexText(), QStringLiteral("#ffcc00"));
    m_panel->toggle({steel, amber}, false);
    QVERIFY(!m_panel->isVisible());
    m_panel->toggle({steel, amber}, false);
    QCOMPARE(m_panel->view()->backgroundChooser()->hexText(), QStringLiteral("#FFCC00"));
}

void tst_ContrastPanel::chooserMenus() {
    m_panel->toggle({steel}, false);
    ContrastView *view = m_panel->view();
    // The text color is in the history; white is not and comes first.
    QCOMPARE(menuTitles(view->textChooser()), QStringList{"#336699"});
    QCOMPARE(menuTitles(view->backgroundChooser()), (QStringList{"#FFFFFF", "#336699"}));

    m_panel->update({amber, steel, grey});
    // The pair is kept (steel on white, then white re-derived as the second entry: steel).
    QCOMPARE(view->textChooser()->current(), steel);
    QCOMPARE(view->backgroundChooser()->current(), steel);
    QCOMPARE(menuTitles(view->backgroundChooser()), (QStringList{"#FFCC00", "#336699", "#808080"}));

    // Choosing sets one role.
    choose(view->backgroundChooser(), QStringLiteral("#FFCC00"));
    QCOMPARE(m_panel->holder()->state().model()->background, amber);
    QCOMPARE(m_panel->holder()->state().model()->text, steel);
    QCOMPARE(view->backgroundChooser()->hexText(), QStringLiteral("#FFCC00"));
    choose(view->textChooser(), QStringLiteral("#808080"));
    QCOMPARE(m_panel->holder()->state().model()->text, grey);
    QCOMPARE(view->ratioLabel()->text(), Contrast::ratioText(Contrast::contrastRatio(grey, amber)));
    // The same color for both roles.
    choose(view->backgroundChooser(), QStringLiteral("#808080"));
    QCOMPARE(view->ratioLabel()->text(), QStringLiteral("1.00:1"));
    QCOMPARE(view->lcLabel()->text(), QStringLiteral("Lc 0.0"));
    QCOMPARE(badgeNames(view),
             (QStringList{"AA fails", "AA Large fails", "AAA fails", "AAA Large fails"}));
}

void tst_ContrastPanel::swapButton() {
    m_panel->toggle({black, white}, false);
    ContrastView *view = m_panel->view();
    QCOMPARE(view->lcLabel()->text(), QStringLiteral("Lc 106.0"));
    QTest::mouseClick(view->swapButton(), Qt::LeftButton);
    QCOMPARE(view->textChooser()->hexText(), QStringLiteral("#FFFFFF"));
    QCOMPARE(view->backgroundChooser()->hexText(), QStringLiteral("#000000"));
    QCOMPARE(view->ratioLabel()->text(), QStringLiteral("21.00:1"));
    QCOMPARE(view->lcLabel()->text(), QStringLiteral("Lc -107.9"));
    QTest::mouseClick(view->swapButton(), Qt::LeftButton);
    QCOMPARE(m_panel->holder()->state().model()->text, black);
}

void tst_ContrastPanel::followsLibraryWhileOpen() {
    m_panel->toggle({steel, amber, grey}, false);
    ContrastView *view = m_panel->view();
    QCOMPARE(view->backgroundChooser()->current(), amber);
    // The background leaves the history: replaced by the second-newest color.
    m_panel->update({steel, grey});
    QCOMPARE(view->backgroundChooser()->current(), grey);
    QCOMPARE(menuTitles(view->textChooser()), (QStringList{"#336699", "#808080"}));

    // Hidden: updates are ignored; the next opening starts from the history given then.
    m_panel->toggle({}, false);
    QVERIFY(!m_panel->isVisible());
    m_panel->update({black});
    QCOMPARE(m_panel->holder()->state().history(), (QList<PickedColor>{steel, grey}));
}

void tst_ContrastPanel::escapeHidesOtherKeysPass() {
    m_panel->toggle({steel, amber}, false);
    FloatingPanel *panel = m_panel->controller()->panel();
    QVERIFY(QTest::qWaitForWindowActive(panel));
    ContrastView *view = m_panel->view();
    view->textChooser()->setFocus();
    QTRY_VERIFY(view->textChooser()->hasFocus());
    // Tab reaches the views: the focus moves on.
    QTest::keyClick(panel->windowHandle(), Qt::Key_Tab);
    QTRY_VERIFY(!view->textChooser()->hasFocus());
    QVERIFY(m_panel->isVisible());
    QTest::keyClick(panel->windowHandle(), Qt::Key_Escape);
    QVERIFY(!m_panel->isVisible());
}

void tst_ContrastPanel::toggleAndReopenStartsAfresh() {
    m_panel->toggle({steel, amber}, false);
    FloatingPanelController *first = m_panel->controller();
    QTest::mouseClick(m_panel->view()->swapButton(), Qt::LeftButton);
    QCOMPARE(m_panel->holder()->state().model()->text, amber);
    m_panel->toggle({steel, amber}, false);
    QVERIFY(!m_panel->isVisible());
    QCOMPARE(m_panel->controller(), first);
    // Reopening builds a new panel with the default pair; the swap is forgotten.
    m_panel->toggle({steel, amber}, false);
    QVERIFY(m_panel->isVisible());
    QCOMPARE(m_panel->holder()->state().model()->text, steel);
    QCOMPARE(m_panel->view()->textChooser()->hexText(), QStringLiteral("#336699"));
}

void tst_ContrastPanel::staysUpWhenDeactivated() {
    m_panel->toggle({steel}, false);
    QVERIFY(!m_panel->controller()->hidesOnResignKey());
    QVERIFY(QTest::qWaitForWindowActive(m_panel->controller()->panel()));
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(m_panel->isVisible());
}

void tst_ContrastPanel::closeButtonHides() {
    // From the empty view and from the pair view.
    for (const QList<PickedColor> &history : {QList<PickedColor>{}, QList<PickedColor>{steel}}) {
        m_panel->toggle(history, false);
        QTest::mouseClick(m_panel->view()->closeButton(), Qt::LeftButton);
        QVERIFY(!m_panel->isVisible());
    }
}

void tst_ContrastPanel::drawsP3Colors() {
    // A color whose P3 triple differs from its sRGB one: the swatch and the sample paint the P3
    // triple matched back to the screen.
    m_panel->toggle({steel, amber}, false);
    ContrastView *view = m_panel->view();
    QVERIFY(steel.p3 != steel.srgb);
    const QColor steelOnScreen = ContrastStyle::displayColor(steel.p3);
    QVERIFY(near(steelOnScreen, QColor(0x33, 0x66, 0x99), 1));

    const QImage chooser = view->textChooser()->grab().toImage();
    const QFontMetrics caption(ContrastStyle::font(ContrastStyle::captionSize));
    const QPoint swatchCentre(2 + ContrastColorChooser::swatchSize.width() / 2,
                              2 + caption.height() + 4 + 12);
    QVERIFY2(near(chooser.pixelColor(swatchCentre), steelOnScreen),
             qPrintable(chooser.pixelColor(swatchCentre).name()));

    const QImage sample = view->sample()->grab().toImage();
    const QColor amberOnScreen = ContrastStyle::displayColor(amber.p3);
    QVERIFY(near(sample.pixelColor(6, sample.height() / 2), amberOnScreen));
    // Somewhere in the middle the text color is drawn.
    bool textSeen = false;
    for (int x = sample.width() / 2 - 20; x < sample.width() / 2 + 20 && !textSeen; ++x)
        textSeen = near(sample.pixelColor(x, sample.height() / 2), steelOnScreen, 6);
    QVERIFY(textSeen);

    // Out of the sRGB gamut: clipped, not wrapped.
    QCOMPARE(ContrastStyle::displayColor(RGB{1, 0, 0}).red(), 255);
    QCOMPARE(ContrastStyle::displayColor(RGB{1, 0, 0}).green(), 0);
}

void tst_ContrastPanel::placedOnPointerDisplay() {
    m_panel->toggle({steel}, false);
    FloatingPanel *panel = m_panel->controller()->panel();
    // 360 x 220 on glass: 416 x 276, centred, centre at 60 % of the visible height.
    QCOMPARE(panel->geometry(), QRect(752, 32 + 419 - 138, 416, 276));
}

QTEST_MAIN(tst_ContrastPanel)
#include "tst_ContrastPanel.moc"
