#pragma once

#include "app/MInfo.h"
#include "app/qt/FormWindow.h"
#include "app/qt/QtFormView.h"

#include <QWidget>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace ovena {

class QtUiServices;

// The progress dialog: borderless, always on top, centred, a sunken panel filling it.
class MInfoView : public QtFormView {
public:
    MInfoView(TFormMInfo& form, QtUiServices& ui);
    ~MInfoView() override;

    QWidget* widget() override;
    void refresh() override;

private:
    TFormMInfo& form_;
    std::unique_ptr<FormWindow<TFormMInfo>> window_;
    QFrame* panel_ = nullptr;
    QLabel* labelTitel_ = nullptr;
    QLabel* labelInfo_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* labelinfo2_ = nullptr;
    QPushButton* btAbbruch_ = nullptr;
};

} // namespace ovena
