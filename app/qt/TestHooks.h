#pragma once

#include <QString>

namespace ovena {

class OvenaForms;
class QtUiServices;

// Two switches in the environment for scripts and tests that drive the real program:
//   OVENA_BOX_LOG=FILE          every message box appends "caption|text" (UTF-8) to FILE and
//                               answers its default button by itself once it is shown;
//   OVENA_SCREENSHOTS=FOLDER    after start the program shows each page and its dialogs,
//                               writes them as PNG files into FOLDER, and ends.
QString boxLogPath();

// Starts the screenshot run when OVENA_SCREENSHOTS is set; answers whether it did.
bool startScreenshotRun(OvenaForms& forms, QtUiServices& ui);

} // namespace ovena
