#pragma once
// The user's Documents folder, found without a user-interface toolkit.
#include <string>

namespace stampora {

// On Linux and other XDG desktops: $XDG_DOCUMENTS_DIR when set, else the
// XDG_DOCUMENTS_DIR entry of $XDG_CONFIG_HOME/user-dirs.dirs (default
// ~/.config/user-dirs.dirs) with $HOME expanded, else ~/Documents. On Windows:
// %USERPROFILE%\Documents. The folder is not created. Empty when no home
// folder can be found.
std::string DocumentsFolder();

// The XDG_DOCUMENTS_DIR entry of the text of a user-dirs.dirs file, with
// $HOME replaced by `home`; empty when the text has no usable entry (the
// format allows only "$HOME/..." or an absolute path, in double quotes).
std::string DocumentsEntryFromUserDirs(const std::string& text, const std::string& home);

}  // namespace stampora
