#include "Chromet/App/PickCoordinator.h"

#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"

PickCoordinator::PickCoordinator(LibraryStore &store, Preferences &prefs, CopyText copyText)
    : m_store(store)
    , m_prefs(prefs)
    , m_copyText(std::move(copyText)) {
    Q_ASSERT(m_copyText);
}

bool PickCoordinator::handlePick(const PickedColor &color) {
    m_store.library().record(color);
    m_store.commit();
    return copy(color, m_prefs.defaultFormat());
}

bool PickCoordinator::copy(const PickedColor &color, ColorFormat format,
                           const std::optional<QString> &name) {
    if (!m_copyText)
        return false;
    const bool lowercaseHex = m_prefs.lowercaseHex();
    // format(), not labelText(): the clipboard gets the code alone.
    m_copyText(ColorFormats::format(format, color, name, lowercaseHex));
    return true;
}

bool PickCoordinator::pin(const PickedColor &color, const QUuid &paletteId) {
    const bool added = m_store.library().pin(color, paletteId);
    // Committed either way, so the file always matches what the menu shows after a pin.
    m_store.commit();
    return added;
}
