#include "Form.h"

namespace ovena {

Form::~Form() = default;

void Form::changed() const {
    if (view_)
        view_->refresh();
}

} // namespace ovena
