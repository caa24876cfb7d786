#include "OrinHotkey/KeyCap.h"
#include "OrinHotkey/KeyCaps.h"

#include <QTest>

// Key caps: one per element in order, duplicates kept, the minimum cap size, and the drawing.
class tst_KeyCaps : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onePerElement();
    void capSize();
    void capDrawing();
};

void tst_KeyCaps::onePerElement() {
    KeyCaps caps({"⌃", "⌥", "C"});
    QStringList texts;
    for (const KeyCap *cap : caps.caps())
        texts.append(cap->text());
    QCOMPARE(texts, (QStringList{"⌃", "⌥", "C"}));
    caps.show();
    QVERIFY(QTest::qWaitForWindowExposed(&caps));
    const QList<KeyCap *> list = caps.caps();
    QCOMPARE(list.at(1)->x() - (list.at(0)->x() + list.at(0)->width()), 4);
    QVERIFY(list.at(0)->x() < list.at(2)->x());

    caps.setKeys({"↩", "↩"});
    QCOMPARE(caps.caps().size(), 2); // the same key twice is two caps
    QVERIFY(caps.caps().at(0) != caps.caps().at(1));
    QCOMPARE(caps.keys(), (QStringList{"↩", "↩"}));
}

void tst_KeyCaps::capSize() {
    const KeyCap narrow(QStringLiteral("⌃"));
    QVERIFY(narrow.sizeHint().width() >= 24);
    QVERIFY(narrow.sizeHint().height() >= 22);
    QCOMPARE(narrow.font().pixelSize(), 12);
    const KeyCap wide(QStringLiteral("Space"));
    const int textWidth = QFontMetrics(wide.font()).horizontalAdvance(QStringLiteral("Space"));
    QVERIFY(wide.sizeHint().width() >= textWidth + 12);
}

void tst_KeyCaps::capDrawing() {
    KeyCap cap(QStringLiteral("W"));
    cap.resize(cap.sizeHint());
    QImage image(cap.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    cap.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // Corners stay clear of the rounded plate; its middle edge carries the faint fill.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    const int edgeAlpha = image.pixelColor(image.width() / 2, 1).alpha();
    QVERIFY2(edgeAlpha > 0 && edgeAlpha < 80, qPrintable(QString::number(edgeAlpha)));
    // The letter is drawn in the text colour.
    int darkest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::max(darkest, image.pixelColor(x, y).alpha());
    QVERIFY(darkest > 200);
}

QTEST_MAIN(tst_KeyCaps)
#include "tst_KeyCaps.moc"
