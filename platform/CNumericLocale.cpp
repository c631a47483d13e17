#include "platform/CNumericLocale.h"

namespace ovena {

CNumericLocale::CNumericLocale() {
    // The thread's locale with only its numbers taken from "C": texts keep their encoding.
    locale_t base = duplocale(uselocale(nullptr));
    if (!base)
        return;
    numeric_ = newlocale(LC_NUMERIC_MASK, "C", base);
    if (!numeric_) {
        freelocale(base);
        return;
    }
    previous_ = uselocale(numeric_);
}

CNumericLocale::~CNumericLocale() {
    if (!numeric_)
        return;
    uselocale(previous_);
    freelocale(numeric_);
}

} // namespace ovena
