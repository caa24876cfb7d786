#include "Chromet/App/CopyFeedback.h"

#include "OrinMenuBar/StatusItemController.h"

#include <QPainter>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The feedback's frames at chosen moments of a fake clock, its timing and how it leaves the icon.
class tst_CopyFeedback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QPixmap magenta(22, 22);
        magenta.fill(Qt::magenta);
        m_normalIcon = QIcon(magenta);
        m_item = std::make_unique<StatusItemController>(m_normalIcon, u"Test"_s, nullptr);
        m_feedback = std::make_unique<CopyFeedback>(m_item.get());
        m_now = start;
        m_feedback->setClock([this] { return m_now; });
        m_feedback->setReduceMotion(false);
        m_feedback->setLabelColor(Qt::black);
        m_feedback->setFrameSize(QSize(22, 22), 1);
    }
    void appearanceShrinksIconAndShowsDot() {
        m_feedback->show(RGB{1, 0, 0});
        QVERIFY(m_feedback->isShowing());

        // At the start it looks like the normal icon.
        const QImage first = m_feedback->renderFrame(start);
        QVERIFY(near(pixel(first, cornerPoint.x(), cornerPoint.y()), QColor(Qt::magenta)));
        QVERIFY(near(pixel(first, dotPoint.x(), dotPoint.y()), QColor(Qt::magenta)));

        // Settled: the icon is gone, the red dot is there with the check across it.
        advanceTo(start + 1.0);
        const QImage settled = m_feedback->lastFrame();
        QCOMPARE(pixel(settled, cornerPoint.x(), cornerPoint.y()).alpha(), 0);
        QVERIFY(near(pixel(settled, dotPoint.x(), dotPoint.y()), QColor(255, 0, 0)));
        QVERIFY(near(pixel(settled, checkPoint.x(), checkPoint.y()), QColor(Qt::white), 40));

        // The tray shows that frame.
        const QImage shown = m_item->displayedIcon().pixmap(QSize(22, 22), 1.0).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 settled.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    void checkColorFollowsLuminance_data() {
        QTest::addColumn<std::optional<RGB>>("color");
        QTest::addColumn<QColor>("expected");
        const QColor dark = QColor::fromRgbF(0, 0, 0, 0.8);
        const QColor label(Qt::blue);
        QTest::newRow("mid gray 0.5 is dark (0.214)")
            << std::optional<RGB>(RGB{0.5, 0.5, 0.5}) << QColor(Qt::white);
        QTest::newRow("gray 0.7 is light (0.448)")
            << std::optional<RGB>(RGB{0.7, 0.7, 0.7}) << dark;
        QTest::newRow("none") << std::optional<RGB>() << label;
        QTest::newRow("no sRGB value") << std::optional<RGB>(RGB{qQNaN(), 0, 0}) << label;
    }
    void checkColorFollowsLuminance() {
        QFETCH(std::optional<RGB>, color);
        QFETCH(QColor, expected);
        QCOMPARE(CopyFeedback::checkColor(color, QColor(Qt::blue)), expected);
    }
    void exportShowsOnlyTheCheck() {
        m_feedback->setLabelColor(QColor(20, 40, 60));
        m_feedback->show(std::nullopt);
        advanceTo(start + 1.0);
        const QImage frame = m_feedback->lastFrame();
        QCOMPARE(pixel(frame, dotPoint.x(), dotPoint.y()).alpha(), 0);
        QVERIFY(near(pixel(frame, checkPoint.x(), checkPoint.y()), QColor(20, 40, 60), 40));
    }
    void secondShowRestartsTheWait() {
        m_feedback->show(RGB{1, 0, 0});
        advanceTo(start + 0.5);
        m_feedback->show(RGB{0, 0, 0.5});

        // The dot is recolored.
        QVERIFY(near(pixel(m_feedback->renderFrame(start + 0.52), dotPoint.x(), dotPoint.y()),
                     QColor(0, 0, 128), 30));

        advanceTo(start + 1.45); // 1.4 s after the first show
        QVERIFY(m_feedback->isShowing());
        QVERIFY(!m_feedback->isHiding());
        advanceTo(start + 1.91);
        QVERIFY(m_feedback->isHiding());
        advanceTo(start + 3.0);
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(m_item->isShowingNormalIcon());
    }
    void disappearanceThenNormalIcon() {
        m_feedback->show(RGB{1, 0, 0});
        advanceTo(start + 1.0);
        advanceTo(start + 1.4);
        QVERIFY(m_feedback->isHiding());

        advanceTo(start + 1.8);
        QVERIFY(m_feedback->isShowing());
        advanceTo(start + 2.5);
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(m_item->isShowingNormalIcon());
        QCOMPARE(m_item->displayedIcon().cacheKey(), m_normalIcon.cacheKey());
        QVERIFY(!m_feedback->isTimerActive());
    }
    void resetRestoresTheNormalIconAtOnce() {
        const QImage normal = m_item->displayedIcon().pixmap(QSize(22, 22), 1.0).toImage();
        m_feedback->show(RGB{0, 1, 0});
        advanceTo(start + 0.3);
        QVERIFY(!m_item->isShowingNormalIcon());

        m_feedback->reset();
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(!m_feedback->isTimerActive());
        QVERIFY(m_item->isShowingNormalIcon());
        QCOMPARE(m_item->displayedIcon().pixmap(QSize(22, 22), 1.0).toImage(), normal);

        // Nothing happens later: no hide, no frame.
        advanceTo(start + 1.5);
        advanceTo(start + 5);
        QVERIFY(m_item->isShowingNormalIcon());
        QVERIFY(m_feedback->lastFrame().isNull());
    }
    void timerOnlyRunsWhileSomethingChanges() {
        QVERIFY(!m_feedback->isTimerActive());
        m_feedback->show(RGB{1, 0, 0});
        QCOMPARE(m_feedback->timerInterval(), 34); // at most 30 frames a second

        advanceTo(start + 0.2);
        QCOMPARE(m_feedback->timerInterval(), 34);
        // Settled: nothing is drawn until the wait ends.
        advanceTo(start + 1.0);
        QCOMPARE(m_feedback->timerInterval(), 400);
        // Even when the wait ends sooner than a frame interval, frames stay 1/30 s apart.
        advanceTo(start + 1.39);
        QCOMPARE(m_feedback->timerInterval(), 34);
        advanceTo(start + 1.43);
        QVERIFY(m_feedback->isHiding());
        QCOMPARE(m_feedback->timerInterval(), 34);
        advanceTo(start + 3.0);
        QVERIFY(!m_feedback->isTimerActive());

        // And with the real timer and clock, it runs to its end and stops by itself.
        auto feedback = std::make_unique<CopyFeedback>(m_item.get());
        feedback->setReduceMotion(true);
        feedback->show(RGB{0, 0, 1});
        QVERIFY(feedback->isTimerActive());
        QTRY_VERIFY_WITH_TIMEOUT(!feedback->isShowing(), 5000);
        QVERIFY(!feedback->isTimerActive());
        QVERIFY(m_item->isShowingNormalIcon());
    }
    void reduceMotion() {
        m_feedback->setReduceMotion(true);
        m_feedback->show(RGB{1, 0, 0});
        // Scaling is a plain 0.15-second animation: everything has settled after it.
        QCOMPARE(m_feedback->renderFrame(start + 0.151), m_feedback->renderFrame(start + 1.0));

        m_feedback->reset();
        m_feedback->setReduceMotion(false);
        m_feedback->show(RGB{1, 0, 0});
        // The spring is still moving.
        QVERIFY(m_feedback->renderFrame(start + 0.151) != m_feedback->renderFrame(start + 1.0));
    }
    void hiddenTrayShowsNothing() {
        m_item->setVisible(false);
        m_feedback->show(RGB{1, 0, 0});
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(!m_feedback->isTimerActive());

        m_item->setVisible(true);
        m_feedback->show(RGB{1, 0, 0});
        QVERIFY(m_feedback->isShowing());
        // The status item going away mid-feedback leaves the feedback harmless.
        m_item.reset();
        advanceTo(start + 0.5);
        m_feedback->reset();
        QVERIFY(!m_feedback->isShowing());
    }

private:
    static constexpr double start = 100;
    static QColor pixel(const QImage &image, double x, double y) {
        // (x, y) in logical pixels of a 22-point frame, scaled to the image.
        const double factor = image.width() / 22.0;
        return image.pixelColor(int(x * factor), int(y * factor));
    }
    static bool near(const QColor &a, const QColor &b, int tolerance = 8) {
        return std::abs(a.red() - b.red()) <= tolerance &&
               std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance &&
               std::abs(a.alpha() - b.alpha()) <= tolerance;
    }
    void advanceTo(double t) {
        m_now = t;
        m_feedback->advance();
    }

    // Away from the check, inside the dot; on the check's second stroke; outside the dot.
    static constexpr QPointF dotPoint{7.5, 14.5};
    static constexpr QPointF checkPoint{12.5, 10.5};
    static constexpr QPointF cornerPoint{0.5, 11.5};

    QIcon m_normalIcon;
    std::unique_ptr<StatusItemController> m_item;
    std::unique_ptr<CopyFeedback> m_feedback;
    double m_now = start;
};

QTEST_MAIN(tst_CopyFeedback)
#include "tst_CopyFeedback.moc"
