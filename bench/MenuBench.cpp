#include "BenchTimer.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/StatusMenu.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>

// Figures for the status menu: emptying and rebuilding it with a full history (20 colors) and
// 10 palettes of 20 colors, as happens on every opening, including disposing of the previous
// items. And one frame of the copy feedback at the sizes a tray asks for.
int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    auto color = [](int i) {
        const RGB rgb{(i * 37 % 256) / 255.0, (i * 91 % 256) / 255.0, (i * 53 % 256) / 255.0};
        return PickedColor{rgb, rgb};
    };
    QList<PickedColor> history;
    for (int i = 0; i < 20; ++i)
        history.append(color(i));
    QList<Palette> palettes;
    for (int p = 0; p < 10; ++p) {
        Palette palette{QUuid::createUuid(), QStringLiteral("Palette %1").arg(p + 1), {}};
        for (int c = 0; c < 20; ++c) {
            palette.colors.append(NamedColor{QUuid::createUuid(), QStringLiteral("Color %1").arg(c),
                                             color(p * 20 + c)});
        }
        palettes.append(palette);
    }
    MenuActions actions;
    actions.copy = [](const PickedColor &, ColorFormat, const std::optional<QString> &) {
    };

    QMenu menu;
    for (ColorFormat format : {ColorFormat::hex, ColorFormat::tailwind}) {
        const MenuSettings settings{format, false, HotKeyCombo(8, HotKeyCombo::controlKey)};
        const double ns = medianNsPerCall(
            [&] {
                StatusItemController::removeAllItems(&menu);
                // What the event loop does between two openings: deliver what the last build
                // posted and delete the old items.
                QCoreApplication::sendPostedEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                buildStatusMenu(&menu, history, palettes, settings, actions);
            },
            10);
        const std::string label =
            "rebuild menu 20 + 10x20 colors, " + ColorFormats::rawValue(format).toStdString();
        printFigure(label.c_str(), ns / 1e6, "ms");
    }

    QPixmap icon(64, 64);
    icon.fill(Qt::black);
    StatusItemController item(QIcon(icon), QStringLiteral("Bench"), nullptr);
    for (int side : {22, 32}) {
        CopyFeedback feedback(&item);
        feedback.setClock([] { return 0.0; });
        feedback.setReduceMotion(false);
        feedback.setFrameSize(QSize(side, side), 2);
        feedback.show(RGB{0.2, 0.5, 0.9});
        volatile qsizetype sink = 0;
        const double ns =
            medianNsPerCall([&] { sink = sink + feedback.renderFrame(0.2).sizeInBytes(); }, 200);
        const std::string label = "copy feedback frame " + std::to_string(side) + "@2x";
        printFigure(label.c_str(), ns / 1e3, "us");
    }
    return 0;
}
