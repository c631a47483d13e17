#pragma once

#include "app/Controls.h"
#include "platform/Form.h"
#include "platform/UiServices.h"

#include <string>
#include <vector>

namespace ovena {

// The modal info box: a list of text lines, a caption line below it and an OK button.
class TAboutBox : public Form {
public:
    explicit TAboutBox(UiServices& ui);

    ovena::ListBox ListBox;
    Label Label1{"Test"};
    Button BitBtn1{"OK"};
    // The result the box closed with.
    ModalResult CloseResult = ModalResult::None;

    // Keeps the lines for the next showing and sets the caption line.
    void SetInfo(const std::vector<std::string>& lines, const std::string& caption);
    // Shows the box modally (FormShow first) and answers how it was closed.
    ModalResult ShowModal();
    // Adds the kept lines to the list from the last to the first, so the last given line is at
    // the top, and drops them.
    void FormShow();
    void BitBtn1Click();

private:
    UiServices& ui_;
    std::vector<std::string> pendingLines_;
};

} // namespace ovena
