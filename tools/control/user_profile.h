// The user's profile as the platform sets it up: every user has mouse settings under
// "Control Panel\Mouse" from the first logon on, and the applets rely on that key. A user hive of
// the settings store starts empty, so the Control Panel host gives a user without the key the
// platform's defaults before it opens an item.
#pragma once

namespace qvtouch::control {

// Creates "Control Panel\Mouse" under HKEY_CURRENT_USER with the platform's default double-click
// settings when the key does not exist; an existing key, or a store that cannot be read or
// written, is left as it is.
void GiveUserTheDefaultMouseSettings();

}  // namespace qvtouch::control
