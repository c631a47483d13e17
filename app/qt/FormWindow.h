#pragma once

#include <QCloseEvent>
#include <QWidget>

namespace ovena {

// A top-level window that closes through its form: the title bar's close button runs the
// form's Close, and the window goes only once the form has let it (Visible cleared).
template <class FormType> class FormWindow : public QWidget {
public:
    explicit FormWindow(FormType& form) : form_(form) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        if (form_.Visible)
            form_.Close();
        if (form_.Visible)
            event->ignore();
        else
            event->accept();
    }

private:
    FormType& form_;
};

} // namespace ovena
