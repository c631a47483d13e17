#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ovena {

// State of the plain controls of the application's windows: buttons, labels, a progress bar
// and a list box. Texts are Windows-1252; views render them and report clicks back to the
// form's handlers.

struct Button {
    explicit Button(std::string caption = {}, std::string hint = {})
        : Caption(std::move(caption)), Hint(std::move(hint)) {}

    std::string Caption;
    std::string Hint;
    bool Enabled = true;
    bool Visible = true;
};

struct Label {
    explicit Label(std::string caption = {}) : Caption(std::move(caption)) {}

    std::string Caption;
    bool Visible = true;
};

struct ProgressBar {
    int Min = 0;
    int Max = 100;
    int Position = 0;
    int Step = 1;
    bool Visible = true;
};

struct ListBox {
    std::vector<std::string> Items;
};

} // namespace ovena
