#include "OrinPaste/ClipboardOwner.h"
#include "OrinPaste/PasteLogging.h"

#include <QClipboard>
#include <QGuiApplication>

#ifndef ORIN_NO_WAYLAND
#include "OrinPaste/Wayland/WaylandClipboardOwner.h"
#include "OrinPlatform/PlatformBackend.h"
#endif

namespace {

class QtClipboardOwner final : public ClipboardOwner {
public:
    QtClipboardOwner() {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
                if (mode == QClipboard::Clipboard && !m_writing)
                    Q_EMIT changedElsewhere();
            });
    }

    bool setText(const QString &text) override {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!clipboard) {
            qCWarning(lcOrinPaste) << "no clipboard: the text was not copied";
            return false;
        }
        m_writing = true;
        // setText replaces every format on the clipboard, which clears it first.
        clipboard->setText(text, QClipboard::Clipboard);
        m_writing = false;
        return true;
    }

    bool ownsText() const override {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        return clipboard && clipboard->ownsClipboard();
    }

private:
    bool m_writing = false;
};

std::unique_ptr<ClipboardOwner> makeOwner() {
#ifndef ORIN_NO_WAYLAND
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland) {
        if (auto owner = WaylandClipboardOwner::create())
            return owner;
    }
#endif
    return std::make_unique<QtClipboardOwner>();
}

} // namespace

ClipboardOwner &ClipboardOwner::shared() {
    static std::unique_ptr<ClipboardOwner> owner = makeOwner();
    return *owner;
}
