#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Picking/Portal/PortalColorPicker.h"
#include "Support/PortalBus.h"

#include <QTest>

using OptionalColor = std::optional<PickedColor>;

class tst_PortalColorPicker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pick_data() {
        QTest::addColumn<QStringList>("portalArguments");
        QTest::addColumn<OptionalColor>("expected");
        QTest::newRow("picked") << QStringList{QStringLiteral("--color"),
                                               QStringLiteral("0.2,0.4,0.6")}
                                << OptionalColor(pickedColor({0.2, 0.4, 0.6},
                                                             QColorSpace(QColorSpace::SRgb)));
        QTest::newRow("refused") << QStringList{QStringLiteral("--refuse")} << OptionalColor();
    }
    void pick() {
        QFETCH(QStringList, portalArguments);
        QFETCH(OptionalColor, expected);
        PortalBus bus;
        QVERIFY2(bus.start(true, portalArguments), qPrintable(bus.errorString()));
        const auto picker = PortalColorPicker::create(bus.connection());
        QVERIFY(picker);
        std::optional<OptionalColor> answer;
        picker->pick([&](const OptionalColor &color) { answer = color; });
        QVERIFY(picker->isPicking());
        QTRY_VERIFY(answer);
        QCOMPARE(*answer, expected);
        QVERIFY(!picker->isPicking());
    }
};

QTEST_GUILESS_MAIN(tst_PortalColorPicker)
#include "tst_PortalColorPicker.moc"
