#pragma once

#include <QByteArrayView>

#include <optional>

// Whether the desktop asks applications to reduce motion. CHROMET_REDUCE_MOTION=1 or 0 overrides
// everything (tests, desktops whose setting cannot be read). Otherwise KDE is read from the
// [KDE] AnimationDurationFactor of kdeglobals (0 means reduce) and every other desktop from
// GNOME's org.gnome.desktop.interface enable-animations (false means reduce). The desktop value is
// cached, and GNOME's is read again in the background when dconf's database changes: callers on
// the pointer path never wait for a process, and a pick never starts one.
namespace ReduceMotion {

bool isOn();

// Reads the desktop setting in the background so that the first pick does not wait for it.
void warmUp();
// Forgets the cached desktop setting; the next isOn() reads it again.
void invalidate();

// "true"/"false" as gsettings prints enable-animations; the result is whether to reduce motion.
std::optional<bool> reduceFromGnomeOutput(QByteArrayView gsettingsOutput);
// The contents of a kdeglobals file; none when it does not set AnimationDurationFactor.
std::optional<bool> reduceFromKdeGlobals(QByteArrayView contents);

} // namespace ReduceMotion
