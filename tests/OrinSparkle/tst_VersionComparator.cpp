#include "OrinSparkle/VersionComparator.h"

#include <QTest>

class tst_VersionComparator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");

        QTest::newRow("same build") << "27"
                                    << "27" << 0;
        QTest::newRow("numbers, not text") << "103"
                                           << "27" << 1;
        QTest::newRow("older build") << "26"
                                     << "27" << -1;
        QTest::newRow("dotted numerically") << "1.10"
                                            << "1.9" << 1;
        QTest::newRow("missing part is zero") << "1.0"
                                              << "1.0.0" << 0;
        QTest::newRow("extra part counts") << "1.0.1"
                                           << "1.0" << 1;
        QTest::newRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::newRow("longer than 64 bits") << "123456789012345678901234567890"
                                             << "123456789012345678901234567889" << 1;
        QTest::newRow("release after its beta") << "2.0"
                                                << "2.0b1" << 1;
        QTest::newRow("beta 2 after beta 1") << "2.0b2"
                                             << "2.0b1" << 1;
        QTest::newRow("beta 10 after beta 9") << "2.0b10"
                                              << "2.0b9" << 1;
        QTest::newRow("rc after beta") << "2.0rc1"
                                       << "2.0b3" << 1;
        QTest::newRow("beta of next after release") << "2.1b1"
                                                    << "2.0" << 1;
        QTest::newRow("surrounding spaces") << " 31 "
                                            << "31" << 0;
        QTest::newRow("non-ASCII digit is not a number")
            << QString::fromUtf8("\u0663") << "1" << -1;
    }

    void compare() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const auto sign = [](int v) {
            return (v > 0) - (v < 0);
        };
        QCOMPARE(sign(compareVersions(a, b)), expected);
        QCOMPARE(sign(compareVersions(b, a)), -expected);
    }
};

QTEST_GUILESS_MAIN(tst_VersionComparator)
#include "tst_VersionComparator.moc"
