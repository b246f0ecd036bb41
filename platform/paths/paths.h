// Where the system keeps its files. With the environment variable QVTOUCH_ROOT set, every path
// lives under that folder instead, so that tests and demos run side by side with an installation.
#pragma once

#include <filesystem>

namespace qvtouch::platform {

// QVTOUCH_ROOT when it is set, not empty and a folder that nobody but root and this process's
// user can change (see FolderDistrust), else "/". So root's programs never take a folder of
// another user's for their files.
std::filesystem::path SystemRoot();

// The machine's state: the HKEY_LOCAL_MACHINE store (<root>/var/lib/qvtouch).
std::filesystem::path MachineStateDir();

// Sockets and other runtime files (<root>/run/qvtouch).
std::filesystem::path RuntimeDir();

// The user's own data: the HKEY_CURRENT_USER store. $XDG_DATA_HOME/qvtouch, or
// ~/.local/share/qvtouch; with QVTOUCH_ROOT taken, <root>/home/.local/share/qvtouch.
std::filesystem::path UserDataDir();

}  // namespace qvtouch::platform
