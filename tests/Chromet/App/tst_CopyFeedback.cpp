#include "Chromet/App/CopyFeedback.h"

#include "OrinMenuBar/StatusItemController.h"

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
    // The icon shrinks away for a dot in the color with the check across it; an export shows the
    // check alone, in the label color.
    void frames() {
        m_feedback->show(RGB{1, 0, 0});
        const QImage first = m_feedback->renderFrame(start);
        QVERIFY(near(first.pixelColor(corner), QColor(Qt::magenta)));
        QVERIFY(near(first.pixelColor(dot), QColor(Qt::magenta)));

        advanceTo(start + 1.0);
        const QImage settled = m_feedback->lastFrame();
        QCOMPARE(settled.pixelColor(corner).alpha(), 0);
        QVERIFY(near(settled.pixelColor(dot), QColor(255, 0, 0)));
        QVERIFY(near(settled.pixelColor(check), QColor(Qt::white), 40));
        const QImage shown = m_item->displayedIcon().pixmap(QSize(22, 22), 1.0).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 settled.convertToFormat(QImage::Format_ARGB32_Premultiplied));

        m_feedback->reset();
        m_feedback->setLabelColor(QColor(20, 40, 60));
        m_feedback->show(std::nullopt);
        advanceTo(start + 2.0);
        QCOMPARE(m_feedback->lastFrame().pixelColor(dot).alpha(), 0);
        QVERIFY(near(m_feedback->lastFrame().pixelColor(check), QColor(20, 40, 60), 40));
    }
    // Black at 80 % on light colors, white on dark ones, else the label color.
    void checkColorFollowsLuminance() {
        const QColor label(Qt::blue);
        QCOMPARE(CopyFeedback::checkColor(RGB{0.5, 0.5, 0.5}, label), QColor(Qt::white)); // 0.214
        QCOMPARE(CopyFeedback::checkColor(RGB{0.7, 0.7, 0.7}, label),
                 QColor::fromRgbF(0, 0, 0, 0.8)); // 0.448
        QCOMPARE(CopyFeedback::checkColor(std::nullopt, label), label);
        QCOMPARE(CopyFeedback::checkColor(RGB{qQNaN(), 0, 0}, label), label);
    }
    // Frames at most 30 a second while something moves, none while it waits 1.4 s after the last
    // show; then it hides, puts the normal icon back and stops its timer.
    void timeline() {
        m_feedback->show(RGB{1, 0, 0});
        QCOMPARE(m_feedback->timerInterval(), 34);
        advanceTo(start + 0.2);
        QCOMPARE(m_feedback->timerInterval(), 34);
        advanceTo(start + 1.0);
        QCOMPARE(m_feedback->timerInterval(), 400);
        // Even when the wait ends sooner than a frame interval, frames stay 1/30 s apart.
        advanceTo(start + 1.39);
        QCOMPARE(m_feedback->timerInterval(), 34);
        advanceTo(start + 1.43);
        QVERIFY(m_feedback->isHiding());
        advanceTo(start + 1.8);
        QVERIFY(m_feedback->isShowing());
        advanceTo(start + 2.5);
        QVERIFY(!m_feedback->isShowing());
        QCOMPARE(m_item->displayedIcon().cacheKey(), m_normalIcon.cacheKey());
        QVERIFY(!m_feedback->isTimerActive());

        // A second show recolors the dot and starts the wait over.
        advanceTo(start + 10);
        m_feedback->show(RGB{1, 0, 0});
        advanceTo(start + 10.5);
        m_feedback->show(RGB{0, 0, 0.5});
        QVERIFY(
            near(m_feedback->renderFrame(start + 10.52).pixelColor(dot), QColor(0, 0, 128), 30));
        advanceTo(start + 11.45);
        QVERIFY(m_feedback->isShowing() && !m_feedback->isHiding());
        advanceTo(start + 11.91);
        QVERIFY(m_feedback->isHiding());

        // With the real timer and clock it runs to its end by itself.
        auto feedback = std::make_unique<CopyFeedback>(m_item.get());
        feedback->setReduceMotion(true);
        feedback->show(RGB{0, 0, 1});
        QTRY_VERIFY_WITH_TIMEOUT(!feedback->isShowing(), 5000);
        QVERIFY(!feedback->isTimerActive());
    }
    // Reduce Motion scales in a plain 0.15-second animation, otherwise the spring still moves;
    // reset puts the normal icon back at once, and nothing happens later.
    void reduceMotionAndReset() {
        m_feedback->setReduceMotion(true);
        m_feedback->show(RGB{1, 0, 0});
        QCOMPARE(m_feedback->renderFrame(start + 0.151), m_feedback->renderFrame(start + 1.0));
        m_feedback->reset();
        m_feedback->setReduceMotion(false);
        m_feedback->show(RGB{1, 0, 0});
        QVERIFY(m_feedback->renderFrame(start + 0.151) != m_feedback->renderFrame(start + 1.0));
        advanceTo(start + 0.3);
        QVERIFY(!m_item->isShowingNormalIcon());
        m_feedback->reset();
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(!m_feedback->isTimerActive());
        QCOMPARE(m_item->displayedIcon().cacheKey(), m_normalIcon.cacheKey());
        advanceTo(start + 5);
        QVERIFY(m_item->isShowingNormalIcon());
        QVERIFY(m_feedback->lastFrame().isNull());
    }
    void hiddenOrRemovedTray() {
        m_item->setVisible(false);
        m_feedback->show(RGB{1, 0, 0});
        QVERIFY(!m_feedback->isShowing());
        QVERIFY(!m_feedback->isTimerActive());
        m_item->setVisible(true);
        m_feedback->show(RGB{1, 0, 0});
        m_item.reset();
        advanceTo(start + 0.5);
        m_feedback->reset();
        QVERIFY(!m_feedback->isShowing());
    }

private:
    static constexpr double start = 100;
    // Away from the check, inside the dot; on the check's second stroke; outside the dot.
    static constexpr QPoint dot{7, 14};
    static constexpr QPoint check{12, 10};
    static constexpr QPoint corner{0, 11};

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

    QIcon m_normalIcon;
    std::unique_ptr<StatusItemController> m_item;
    std::unique_ptr<CopyFeedback> m_feedback;
    double m_now = start;
};

QTEST_MAIN(tst_CopyFeedback)
#include "tst_CopyFeedback.moc"
