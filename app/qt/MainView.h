#pragma once

#include "app/TDAMain.h"
#include "app/qt/FormWindow.h"
#include "app/qt/QtFormView.h"

#include <QWidget>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QPushButton;

namespace ovena {

class QtUiServices;

// The main window: a fixed 611 x 380 window centred on the screen, the command bar on the
// left and the page control with hidden tabs.
class MainView : public QtFormView {
public:
    MainView(TFormMain& form, QtUiServices& ui);
    ~MainView() override;

    QWidget* widget() override;
    void refresh() override;

private:
    QWidget* buildIntroPage();
    QWidget* buildTev640Page();
    QWidget* buildConfigPage();
    void buildRadioGroup(QWidget* page, RadioGroup& group, const char* name, const QRect& frame,
                         int columns);
    void buildCheckBox(QWidget* parent, CheckBox& box, const char* name, const QRect& frame,
                       void (TFormMain::*handler)());
    void rebuildPortButtons();
    void refreshConfigPage();

    TFormMain& form_;
    std::unique_ptr<FormWindow<TFormMain>> window_;
    std::vector<std::pair<QToolButton*, SpeedItem*>> speedButtons_;
    std::vector<std::pair<QPushButton*, Button*>> buttons_;
    QTabWidget* pages_ = nullptr;
    QLabel* archiveStatus_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    std::vector<QRadioButton*> portButtons_;
    std::vector<std::pair<QButtonGroup*, RadioGroup*>> radioGroups_;
    std::vector<std::pair<QCheckBox*, CheckBox*>> checkBoxes_;
    QListWidget* listboxfields_ = nullptr;
};

} // namespace ovena
