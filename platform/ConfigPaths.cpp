#include "ConfigPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace ovena {

namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

// $<variable>, or the home folder's <fallback> when it is unset or relative (the XDG rules
// ignore relative paths).
std::string xdgFolder(const char* variable, const char* fallback) {
    const char* xdg = std::getenv(variable);
    return (xdg && xdg[0] == '/') ? std::string(xdg) : homeFolder() + fallback;
}

} // namespace

std::string configFolder() {
    return xdgFolder("XDG_CONFIG_HOME", "/.config") + "/TEV/Ovena";
}

std::string dataFolder() {
    return xdgFolder("XDG_DATA_HOME", "/.local/share") + "/TEV/Ovena";
}

std::string settingsFile() {
    return configFolder() + "/registry.reg";
}

std::string portsFolder() {
    return configFolder() + "/ports";
}

} // namespace ovena
