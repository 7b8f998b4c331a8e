#pragma once
// Light or dark look of the whole program, or whichever the desktop uses. The program always
// uses the Fusion style, whose palette the painted controls follow. GUI thread only.

class QApplication;

namespace kv816 {

class Settings;

enum class Appearance : int { Light = 0, Dark = 1, FollowSystem = 2 };

// Call once after the application exists and before any window: sets the Fusion style and
// remembers the desktop's own palette for FollowSystem.
void setUpAppearance(QApplication& app);
// Puts the palette of `appearance` on the application; open windows repaint in it.
void applyAppearance(Appearance appearance);
// The saved choice; FollowSystem when none is saved or the value is unknown.
Appearance savedAppearance(const Settings& settings);
bool saveAppearance(const Settings& settings, Appearance appearance);

} // namespace kv816
