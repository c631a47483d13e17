#pragma once

#include <locale.h>

namespace ovena {

// While it lives, the C library's number conversions in this thread (printf's %f, %e and %g,
// strtod, and those of the libraries the program calls, such as the workbook writer's) use a
// decimal point, whatever locale the process has. Qt gives the window program the locale of
// the desktop, so on a German one "%.1f" would write "12,5" where a file format needs "12.5";
// the user's own separators come from the regional settings, never from the C library.
class CNumericLocale {
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    locale_t numeric_ = nullptr;
    locale_t previous_ = nullptr;
};

} // namespace ovena
