#pragma once

#include <string>

namespace ovena {

// The per-user folders of the program. All follow the environment at the moment of the call,
// so tests point them at temporary folders by setting XDG_CONFIG_HOME and XDG_RUNTIME_DIR.

// $XDG_CONFIG_HOME/TEV/Ovena (default ~/.config/TEV/Ovena), without a trailing separator.
std::string configFolder();
// The settings store: <configFolder>/registry.reg.
std::string settingsFile();
// The COM port links: <configFolder>/ports.
std::string portsFolder();
// The program's data: $XDG_DATA_HOME/TEV/Ovena (default ~/.local/share/TEV/Ovena), without a
// trailing separator.
std::string dataFolder();

} // namespace ovena
