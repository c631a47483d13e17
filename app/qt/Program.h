#pragma once

#include <functional>

namespace ovena {

class OvenaForms;
class QtUiServices;

// What a build of the window program may add to its start: a test build answers message boxes
// and takes screenshots from here. The installed program adds nothing.
struct ProgramAdditions {
    // Once the user-interface services exist, before the first message box can appear.
    std::function<void(QtUiServices&)> servicesMade;
    // Once the main window is shown, before the event loop runs.
    std::function<void(OvenaForms&, QtUiServices&)> windowShown;
};

// The window program: one instance per workstation, the stored settings, the forms and the
// event loop. Returns the program's exit status.
int runProgram(int argc, char** argv, const ProgramAdditions& additions = {});

} // namespace ovena
