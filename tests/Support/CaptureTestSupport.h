#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <QColor>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <optional>

// Runs one capture request and waits for its delivery. `deliveredInside` tells whether the
// completion ran before the request returned, which it never may.
inline std::optional<CaptureResult>
waitForCapture(const std::function<void(QObject *, SnapshotCapturing::Completion)> &request,
               bool *deliveredInside = nullptr) {
    QObject context;
    std::optional<CaptureResult> result;
    request(&context, [&](CaptureResult r) { result = std::move(r); });
    if (deliveredInside)
        *deliveredInside = result.has_value();
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        return std::nullopt;
    return result;
}

// A borderless window of solid blocks, placed exactly where asked (no window manager runs).
class ColorBlocksWindow : public QWidget {
public:
    struct Block {
        QRect rect; // in window coordinates
        QColor color;
    };

    ColorBlocksWindow(const QRect &geometry, QList<Block> blocks)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
        , m_blocks(std::move(blocks)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        for (const Block &block : std::as_const(m_blocks))
            painter.fillRect(block.rect, block.color);
    }

private:
    QList<Block> m_blocks;
};
