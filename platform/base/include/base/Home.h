#pragma once
// The one folder that holds all per-user state of the suite: $TOLVAR_HOME, else
// $XDG_CONFIG_HOME/tolvar, else ~/.config/tolvar. Created on first use.
#include <string>

namespace tolvar {

// The home folder as an absolute path without a trailing slash.
std::string HomeFolder();

// A short, stable tag for the home folder (a hash of its path and the user id), used to keep the
// names of shared objects of different homes apart.
std::string HomeTag();

}  // namespace tolvar
