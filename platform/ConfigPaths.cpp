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

} // namespace

std::string configFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore relative paths.
    std::string base = (xdg && xdg[0] == '/') ? std::string(xdg) : homeFolder() + "/.config";
    return base + "/TEV/Ovena";
}

std::string settingsFile() {
    return configFolder() + "/registry.reg";
}

std::string portsFolder() {
    return configFolder() + "/ports";
}

} // namespace ovena
