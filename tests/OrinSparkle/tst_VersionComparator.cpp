#include "OrinSparkle/VersionComparator.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_VersionComparator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");

        const auto row = [](const char *name, const QString &a, const char *b, int expected) {
            QTest::newRow(name) << a << QString::fromLatin1(b) << expected;
        };
        row("same build", u"27"_s, "27", 0);
        row("numbers, not text", u"103"_s, "27", 1);
        row("older build", u"26"_s, "27", -1);
        row("dotted numerically", u"1.10"_s, "1.9", 1);
        row("missing part is zero", u"1.0"_s, "1.0.0", 0);
        row("extra part counts", u"1.0.1"_s, "1.0", 1);
        row("leading zeros", u"1.02"_s, "1.2", 0);
        row("longer than 64 bits", u"123456789012345678901234567890"_s,
            "123456789012345678901234567889", 1);
        row("release after its beta", u"2.0"_s, "2.0b1", 1);
        row("beta 2 after beta 1", u"2.0b2"_s, "2.0b1", 1);
        row("beta 10 after beta 9", u"2.0b10"_s, "2.0b9", 1);
        row("rc after beta", u"2.0rc1"_s, "2.0b3", 1);
        row("beta of next after release", u"2.1b1"_s, "2.0", 1);
        row("surrounding spaces", u" 31 "_s, "31", 0);
        row("non-ASCII digit is not a number", QString::fromUtf8("\u0663"), "1", -1);
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
