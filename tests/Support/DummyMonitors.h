#pragma once

#include "Support/XServerSession.h"

#include <QRect>

// Two monitors side by side on Xorg's dummy driver: DUMMY0 1024x768 at the origin and DUMMY1
// 800x600 to its right, for tests across displays. Xvfb has only one.
namespace DummyMonitors {

inline constexpr QRect left{0, 0, 1024, 768};
inline constexpr QRect right{1024, 0, 800, 600};

// Starts Xorg on a configuration of these two; false with server.errorString() set when it does
// not come up.
bool start(XServerSession &server);

} // namespace DummyMonitors

#define CHROMET_DUMMY_MONITORS_TEST_MAIN(TestObject)                                               \
    CHROMET_X11_TEST_MAIN_ON(TestObject, DummyMonitors::start(server))
