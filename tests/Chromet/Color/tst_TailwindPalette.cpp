#include "Chromet/Color/ColorMath.h"
#include "Chromet/Color/TailwindPalette.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <latch>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(RGB)

namespace {

double oklabDistance(const RGB &x, const RGB &y) {
    const OKLab p = oklab(x);
    const OKLab q = oklab(y);
    return std::sqrt((p.L - q.L) * (p.L - q.L) + (p.a - q.a) * (p.a - q.a) +
                     (p.b - q.b) * (p.b - q.b));
}

} // namespace

class tst_TailwindPalette : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Must run first: it races several threads to the table's first use.
    void concurrentFirstUse() {
        constexpr int threadCount = 8;
        std::latch start(threadCount);
        std::vector<TailwindMatch> results(threadCount);
        std::vector<std::thread> threads;
        for (int i = 0; i < threadCount; ++i) {
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                results[size_t(i)] = nearestTailwind(RGB{0.2, 0.4, 0.6});
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        for (const TailwindMatch &match : results) {
            QCOMPARE(match.name, QString("sky-700"));
            QCOMPARE(match.distance, results.front().distance);
        }
    }
    void nearest_data() {
        QTest::addColumn<RGB>("color");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("distance");
        QTest::newRow("black") << RGB{0, 0, 0} << u"black"_s << 0.0;
        QTest::newRow("white") << RGB{1, 1, 1} << u"white"_s << 0.0;
        QTest::newRow("red-500 entry") << RGB{0.982661, 0.171797, 0.21307} << u"red-500"_s << 0.0;
        QTest::newRow("#336699") << RGB{0.2, 0.4, 0.6} << u"sky-700"_s << 0.0317;
        QTest::newRow("grey") << RGB{0.5, 0.5, 0.5} << u"olive-500"_s << 0.0359;
        QTest::newRow("red") << RGB{1, 0, 0} << u"red-500"_s << 0.0282;
        // First and last shades of several hues, to catch a shifted or mistyped row.
        QTest::newRow("red-50 entry") << RGB{0.996841, 0.949585, 0.949586} << u"red-50"_s << 0.0;
        QTest::newRow("orange-950 entry")
            << RGB{0.266434, 0.074411, 0.021905} << u"orange-950"_s << 0.0;
        QTest::newRow("sky-700 entry") << RGB{0, 0.411635, 0.660296} << u"sky-700"_s << 0.0;
        QTest::newRow("indigo-600 entry")
            << RGB{0.310885, 0.224404, 0.966261} << u"indigo-600"_s << 0.0;
        QTest::newRow("rose-950 entry") << RGB{0.303147, 0.00882, 0.095859} << u"rose-950"_s << 0.0;
        QTest::newRow("slate-500 entry")
            << RGB{0.383912, 0.454787, 0.55666} << u"slate-500"_s << 0.0;
        QTest::newRow("stone-950 entry")
            << RGB{0.046959, 0.039356, 0.035544} << u"stone-950"_s << 0.0;
        QTest::newRow("taupe-950 entry")
            << RGB{0.046957, 0.039358, 0.035541} << u"taupe-950"_s << 0.0;
        QTest::newRow("mist-400 entry")
            << RGB{0.612449, 0.658606, 0.670158} << u"mist-400"_s << 0.0;
        // zinc-50, neutral-50 and mauve-50 are the same color; zinc comes first in the table.
        QTest::newRow("tie keeps the earlier entry")
            << RGB{0.980256, 0.980256, 0.980256} << u"zinc-50"_s << 0.0;
    }
    void nearest() {
        QFETCH(RGB, color);
        QFETCH(QString, name);
        QFETCH(double, distance);
        const TailwindMatch match = nearestTailwind(color);
        QCOMPARE(match.name, name);
        if (distance == 0)
            QVERIFY2(match.distance < 1e-12, qPrintable(QString::number(match.distance)));
        else
            QVERIFY2(std::abs(match.distance - distance) < 0.00005,
                     qPrintable(QString::number(match.distance)));
    }
    void noEntryIsNearerThanTheMatch() {
        const RGB entries[] = {
            {0.982661, 0.171797, 0.21307},
            {0, 0.411635, 0.660296},
            {0.485987, 0.485938, 0.403543},
            {0.487293, 0.809917, 0},
            {0.555926, 0.318164, 1},
            {1, 1, 1},
            {0, 0, 0},
            {0.442995, 0.442929, 0.483804},
        };
        QRandomGenerator random(20240611);
        for (int i = 0; i < 2000; ++i) {
            const RGB color{random.generateDouble(), random.generateDouble(),
                            random.generateDouble()};
            const TailwindMatch match = nearestTailwind(color);
            QVERIFY(!match.name.isEmpty());
            QVERIFY(std::isfinite(match.distance));
            for (const RGB &entry : entries)
                QVERIFY(match.distance <= oklabDistance(color, entry) + 1e-12);
        }
    }
};

QTEST_GUILESS_MAIN(tst_TailwindPalette)
#include "tst_TailwindPalette.moc"
