#pragma once

#include "app/qt/QtFormView.h"
#include "export/EC_Choice.h"

#include <QDialog>
#include <QIcon>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace ovena {

class QtUiServices;

// The export choice dialog: a fixed 400 x 125 dialog centred on the screen with the format list
// (focused first), the view and file choices, the icon of the application that opens the
// format, and OK and Cancel (also Esc).
class ExportChoiceView : public QtFormView {
public:
    ExportChoiceView(TExportChoiceForm& form, QtUiServices& ui);
    ~ExportChoiceView() override;

    QWidget* widget() override { return dialog_.get(); }
    void refresh() override;

private:
    void showIcon();

    TExportChoiceForm& form_;
    std::unique_ptr<QDialog> dialog_;
    QComboBox* exportTypeComboBox_ = nullptr;
    QRadioButton* viewRadioButton_ = nullptr;
    QRadioButton* fileRadioButton_ = nullptr;
    QLabel* image1_ = nullptr;
};

// The icon an icon file name and index stand for: a file that exists is loaded (the index
// cannot pick among several icons there), any other name is taken from the icon theme. Null
// when there is none.
QIcon iconFor(const TExportChoiceForm::ImageState& image);

} // namespace ovena
