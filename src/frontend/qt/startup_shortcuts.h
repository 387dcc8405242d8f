// The start-up shortcuts of the Qt front end (caches of what does not change, work deferred
// while nothing can see it, the icon's pixels prepared at build time) can be compiled out. A
// test draws the first frame with and without them and requires the same pixels.
#pragma once

namespace brindlecot::qt {

#ifdef BRINDLECOT_QT_NO_SHORTCUTS
inline constexpr bool kShortcuts = false;
#else
inline constexpr bool kShortcuts = true;
#endif

}  // namespace brindlecot::qt
