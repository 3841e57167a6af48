#pragma once
// The user's home folder, found the same way by the relay and the application.

#include <string>

namespace quaylight {

// $HOME when it is set and absolute, otherwise the password database's entry for the
// effective user; "/" when neither gives one.
std::string homeDirectory();

}  // namespace quaylight
