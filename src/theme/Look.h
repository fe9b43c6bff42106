#pragma once

// Switches the whole application between the themed look and the one Qt
// picked at start-up. All of it needs a QApplication; without one every call
// does nothing and reports false.
namespace Look {

// Call once at start-up, before installThemed(): remembers the style, palette
// and font Qt chose, so installSystem() can bring them back. Does nothing
// while the themed look is active, so what it remembers is never our own look.
void rememberSystemLook();

// Loads the theme and applies it to the whole application. When no theme can
// be loaded it returns false and leaves the current look untouched.
bool installThemed();

// Brings back the look remembered by rememberSystemLook(). Returns false, and
// changes nothing, when nothing was remembered or the style cannot be rebuilt.
bool installSystem();

bool themedLookActive();

} // namespace Look
