#pragma once

#include "platform/InstanceLock.h"
#include "platform/UiServices.h"

#include <string>

namespace ovena {

// The message a second copy shows before it ends.
inline constexpr const char* AlreadyRunningText =
    "Programm l\xE4uft schon auf diesem Arbeitsplatz!";

// One copy of the program per workstation. Taken before any form exists, named after the
// program file (its name without the folder), and held until the object dies with the program.
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const std::string& programFile);

    // Answers whether this copy may go on; a second copy first shows the plain message box
    // (captioned with the program's name, as the application has no title yet).
    bool Admit(UiServices& ui) const;

private:
    std::string programName_;
    InstanceLock lock_;
};

} // namespace ovena
