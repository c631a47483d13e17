#pragma once

#include "app/About.h"
#include "app/qt/QtFormView.h"

#include <QDialog>
#include <memory>

class QLabel;
class QListWidget;

namespace ovena {

class QtUiServices;

// The info box: a dialog with only the system menu, the turquoise list, the caption line and
// the OK button.
class AboutView : public QtFormView {
public:
    AboutView(TAboutBox& form, QtUiServices& ui);
    ~AboutView() override;

    QWidget* widget() override { return dialog_.get(); }
    void refresh() override;

private:
    TAboutBox& form_;
    std::unique_ptr<QDialog> dialog_;
    QListWidget* listBox_ = nullptr;
    QLabel* label1_ = nullptr;
};

} // namespace ovena
