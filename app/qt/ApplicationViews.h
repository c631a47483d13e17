#pragma once

namespace ovena {

class QtUiServices;

// Registers the views of the main window, the progress dialog and the info box.
void registerApplicationViews(QtUiServices& ui);

// Font names of the forms that Linux desktops lack, mapped to metric-compatible families.
void installFontSubstitutes();

} // namespace ovena
