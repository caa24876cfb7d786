#include "Chromet/Color/PickedColor.h"

#include <QJsonDocument>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(PickedColor)

namespace {

std::optional<PickedColor> decode(const char *json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s", json);
    return PickedColor::fromJson(document.object());
}

} // namespace

class tst_PickedColor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void equalityUsesBothSpaces() {
        const PickedColor a{RGB{0, 1, 0}, RGB{0.458, 0.985, 0.298}};
        const PickedColor b{RGB{0, 1, 0}, RGB{0, 1, 0}};
        QVERIFY(a != b);
        QVERIFY(a == (PickedColor{RGB{0, 1, 0}, RGB{0.458, 0.985, 0.298}}));
        QSet<PickedColor> set{a, b};
        QCOMPARE(set.size(), 2);
    }
    void signedZerosAreEqualAndHashEqually() {
        const RGB positive{0.0, 0.5, 0.0};
        const RGB negative{-0.0, 0.5, -0.0};
        QCOMPARE(negative, positive);
        QCOMPARE(qHash(negative), qHash(positive));
        QCOMPARE(qHash(negative, 42), qHash(positive, 42));

        const PickedColor a{positive, negative};
        const PickedColor b{negative, positive};
        QCOMPARE(a, b);
        QCOMPARE(qHash(a), qHash(b));
        QSet<PickedColor> set{a, b};
        QCOMPARE(set.size(), 1);
    }
    void jsonRoundTripIsExact() {
        const PickedColor color{RGB{0.1 + 0.2, 1.0 / 3.0, 0.2}, RGB{0.2499, 0.3952, 5e-324}};
        const QByteArray bytes = QJsonDocument(color.toJson()).toJson(QJsonDocument::Compact);
        const std::optional<PickedColor> decoded = decode(bytes.constData());
        QVERIFY(decoded);
        QCOMPARE(decoded->srgb.r, 0.1 + 0.2);
        QCOMPARE(decoded->srgb.g, 1.0 / 3.0);
        QCOMPARE(decoded->p3.b, 5e-324);
        QVERIFY(*decoded == color);
    }
    void decodesStoredForm() {
        const auto color = decode(R"({"srgb":{"r":0.2,"g":0.4,"b":0.6},)"
                                  R"("p3":{"r":0.2499,"g":0.3952,"b":0.584}})");
        QVERIFY(color);
        QCOMPARE(*color, (PickedColor{RGB{0.2, 0.4, 0.6}, RGB{0.2499, 0.3952, 0.584}}));

        // Extra keys are ignored; integers are numbers; stored values are not clamped.
        const auto extra = decode(R"({"srgb":{"r":1,"g":0,"b":1.5,"alpha":0.5},)"
                                  R"("p3":{"r":-0.25,"g":0,"b":1},"alpha":1,"name":"x"})");
        QVERIFY(extra);
        QCOMPARE(*extra, (PickedColor{RGB{1, 0, 1.5}, RGB{-0.25, 0, 1}}));
    }
    void rejectsIncompleteForms_data() {
        QTest::addColumn<QByteArray>("json");
        const char *p3 = R"("p3":{"r":0.1,"g":0.2,"b":0.3})";
        const char *srgb = R"("srgb":{"r":0.1,"g":0.2,"b":0.3})";
        QTest::newRow("no p3") << QByteArray("{") + srgb + "}";
        QTest::newRow("no g") << QByteArray(R"({"srgb":{"r":0.1,"b":0.3},)") + p3 + "}";
        QTest::newRow("string channel")
            << QByteArray(R"({"srgb":{"r":"0.1","g":0.2,"b":0.3},)") + p3 + "}";
        QTest::newRow("p3 not an object") << QByteArray("{") + srgb + R"(,"p3":[0.1,0.2,0.3]})";
    }
    void rejectsIncompleteForms() {
        QFETCH(QByteArray, json);
        QVERIFY(!decode(json.constData()));
    }
};

QTEST_GUILESS_MAIN(tst_PickedColor)
#include "tst_PickedColor.moc"
