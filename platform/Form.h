#pragma once

#include <string>

namespace ovena {

// A view shows a form on screen. Plain form classes notify their view after every change of
// state; the view re-reads the state. Forms without a view (command line, tests) stay silent.
class FormView {
public:
    virtual ~FormView() = default;
    virtual void refresh() = 0;
};

// Base of every plain form class: the window-level state that all forms share. The logic and
// the event handlers live in the derived classes; a view (Qt in the desktop program) renders it.
class Form {
public:
    virtual ~Form();

    std::string Caption; // Windows-1252
    int ClientWidth = 0;
    int ClientHeight = 0;
    bool Visible = false;
    bool Enabled = true;

    void attachView(FormView* view) { view_ = view; }
    FormView* view() const { return view_; }
    // Tells the attached view, if any, that the state changed.
    void changed() const;

private:
    FormView* view_ = nullptr;
};

} // namespace ovena
