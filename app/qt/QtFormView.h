#pragma once

#include "platform/Form.h"
#include "platform/UiServices.h"

class QSize;
class QWidget;

namespace ovena {

// The Qt view of one form: builds the widgets, forwards user actions to the form's handlers
// and re-reads the form's state on refresh(). It attaches itself to the form while it lives;
// views are released before their forms die.
class QtFormView : public FormView {
public:
    explicit QtFormView(Form& form) : form_(form) { form_.attachView(this); }
    ~QtFormView() override { detach(); }
    QtFormView(const QtFormView&) = delete;
    QtFormView& operator=(const QtFormView&) = delete;

    virtual QWidget* widget() = 0;
    Form& form() const { return form_; }
    // Stops the view from touching its form, which may die before the view does.
    void detach() {
        if (attached_)
            form_.attachView(nullptr);
        attached_ = false;
    }

private:
    Form& form_;
    bool attached_ = true;
};

// Moves a window of the given client size to the centre of its screen, as every form of the
// program is placed.
void centreOnScreen(QWidget* window, const QSize& size);

} // namespace ovena
