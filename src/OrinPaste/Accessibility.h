#pragma once

// Whether this process may send synthetic key events to other applications. On X11 that is the
// presence of the XTEST extension; there is no permission to ask for.
namespace Accessibility {

bool isTrusted();
void requestTrust();

} // namespace Accessibility
