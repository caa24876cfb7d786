#include "OrinPanel/FloatingPanelController.h"
#include "OrinPanel/PanelFrameStore.h"
#include "OrinTheme/FloatingShadowContainer.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const PanelDisplay mainDisplay{u"Main"_s, QRect(0, 0, 1920, 1080), QRect(0, 25, 1920, 1055)};
const PanelDisplay sideDisplay{u"Side"_s, QRect(1920, 0, 2560, 1440), QRect(1920, 0, 2560, 1400)};

PanelScreens fakeScreens(QPoint *pointer,
                         QList<PanelDisplay> displays = {mainDisplay, sideDisplay}) {
    PanelScreens screens;
    screens.displays = [displays] {
        return displays;
    };
    screens.pointer = [pointer] {
        return *pointer;
    };
    return screens;
}

} // namespace

class tst_FloatingPanelController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        WindowEffects::setCompositorOverride(true);
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings =
            std::make_unique<QSettings>(m_dir->filePath(u"chromet.ini"_s), QSettings::IniFormat);
        m_pointer = QPoint(500, 500);
    }
    void cleanup() {
        WindowEffects::setCompositorOverride(std::nullopt);
        m_settings.reset();
        m_dir.reset();
    }
    void windowAndPlacement_data() {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("topLeft");
        // 416 x 276 with glass: x = left + (width - 416) / 2; y = top + 0.4 * height - 138.
        QTest::newRow("main display") << true << QPoint(500, 500) << QPoint(752, 309);
        QTest::newRow("secondary display") << true << QPoint(3000, 500) << QPoint(2992, 422);
        // 360 x 220 without: the same centre.
        QTest::newRow("opaque on secondary") << false << QPoint(4400, 1400) << QPoint(3020, 450);
    }
    void windowAndPlacement() {
        QFETCH(bool, compositor);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, topLeft);
        WindowEffects::setCompositorOverride(compositor);
        m_pointer = pointer;
        auto *root = new QWidget;
        FloatingPanelController controller(root, QSize(360, 220));
        FloatingPanel *panel = controller.panel();
        QCOMPARE(panel->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(panel->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        QCOMPARE(panel->hasWindowShadow(), !compositor);
        QCOMPARE(panel->testAttribute(Qt::WA_TranslucentBackground), compositor);
        auto *material = panel->findChild<MaterialView *>();
        QCOMPARE(material->cornerRadius(), compositor ? 22.0 : 14.0);
        QCOMPARE(root->parentWidget(), material);

        controller.setScreens(fakeScreens(&m_pointer));
        controller.show();
        QVERIFY(controller.isVisible());
        QCOMPARE(panel->geometry(), QRect(topLeft, compositor ? QSize(416, 276) : QSize(360, 220)));
        // Shown again after the pointer moved: placed afresh.
        controller.hide();
        m_pointer = pointer.x() < 1920 ? QPoint(3000, 10) : QPoint(10, 900);
        controller.show();
        QVERIFY(panel->pos() != topLeft);
        // With no display at all it stays where it is.
        controller.hide();
        controller.setScreens(fakeScreens(&m_pointer, {}));
        panel->move(123, 45);
        controller.show();
        QCOMPARE(panel->pos(), QPoint(123, 45));
    }
    void callbacksInOrder() {
        FloatingPanelController controller(new QWidget, QSize(360, 220));
        controller.setScreens(fakeScreens(&m_pointer));
        QStringList calls;
        controller.setOnWillShow(
            [&] { calls << (controller.isVisible() ? "willShow(visible)" : "willShow"); });
        controller.setOnDidHide(
            [&] { calls << (controller.isVisible() ? "didHide(visible)" : "didHide"); });
        controller.show();
        controller.hide();
        controller.hide(); // already hidden: nothing
        QCOMPARE(calls, (QStringList{"willShow", "didHide"}));
    }
    void keyHandlerFirst() {
        auto *root = new QWidget;
        auto *field = new QLineEdit(root);
        (new QVBoxLayout(root))->addWidget(field);
        FloatingPanelController controller(root, QSize(360, 220));
        controller.setScreens(fakeScreens(&m_pointer));
        controller.setHidesOnResignKey(false);
        QList<int> offered;
        controller.setKeyHandler([&](QKeyEvent *event) {
            offered << event->key();
            if (event->key() != Qt::Key_Escape)
                return false;
            controller.hide();
            return true;
        });
        controller.show();
        QVERIFY(QTest::qWaitForWindowActive(controller.panel()));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());

        // Keys the handler leaves alone reach the focused view.
        QTest::keyClick(controller.panel()->windowHandle(), 'a');
        QTest::keyClick(controller.panel()->windowHandle(), 'b');
        QCOMPARE(field->text(), u"ab"_s);
        QCOMPARE(offered, (QList<int>{Qt::Key_A, Qt::Key_B}));

        // A handled key is swallowed: the field does not see Escape, and the panel hides.
        QTest::keyClick(controller.panel()->windowHandle(), Qt::Key_Escape);
        QVERIFY(!controller.isVisible());
        QCOMPARE(offered.last(), int(Qt::Key_Escape));
        QCOMPARE(field->text(), u"ab"_s);
    }
    void frameMemory() {
        PanelOptions options;
        options.frameAutosaveKey = u"checker"_s;
        auto controller = std::make_unique<FloatingPanelController>(
            new QWidget, QSize(360, 220), std::nullopt, options, m_settings.get());
        controller->setScreens(fakeScreens(&m_pointer));
        controller->show();
        controller->panel()->move(200, 300);
        // Moving saves at once under the key of the panel's display.
        QCOMPARE(m_settings->value(u"checker.Main@1920x1080"_s).toList(),
                 (QVariantList{200.0, 300.0, 416.0, 276.0}));
        controller->hide();
        // A new controller (next run) opens where the panel was left.
        controller = std::make_unique<FloatingPanelController>(
            new QWidget, QSize(360, 220), std::nullopt, options, m_settings.get());
        controller->setScreens(fakeScreens(&m_pointer));
        controller->show();
        QCOMPARE(controller->panel()->geometry(), QRect(200, 300, 416, 276));
        controller->hide();
        // A saved frame partly off screen is moved fully onto the visible frame.
        m_settings->setValue(u"checker.Main@1920x1080"_s,
                             QVariantList{1800.0, -40.0, 416.0, 276.0});
        controller->show();
        QCOMPARE(controller->panel()->geometry(), QRect(1504, 25, 416, 276));
    }
    void minimumSizeIncludesMargin() {
        PanelOptions options;
        options.resizable = true;
        options.minSize = QSize(200, 120);
        FloatingPanelController controller(new QWidget, QSize(360, 220), std::nullopt, options,
                                           m_settings.get());
        QVERIFY(controller.panel()->isResizable());
        QCOMPARE(controller.panel()->minimumSize(), QSize(256, 176));
        QCOMPARE(controller.panel()->size(), QSize(416, 276));
        controller.setScreens(fakeScreens(&m_pointer));
        controller.show();
        controller.panel()->resize(500, 400);
        QCOMPARE(controller.panel()->contentView()->size(), QSize(500, 400));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    QPoint m_pointer;
};

QTEST_MAIN(tst_FloatingPanelController)
#include "tst_FloatingPanelController.moc"
