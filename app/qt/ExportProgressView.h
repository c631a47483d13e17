#pragma once

#include "app/qt/QtFormView.h"
#include "export/XProgress.h"

#include <QWidget>
#include <memory>

class QLabel;
class QProgressBar;

namespace ovena {

class QtUiServices;

// The progress window of an export: a small fixed window centred on the screen with the bar or
// the counting panel. Esc and the close box cancel the export.
class ExportProgressView : public QtFormView {
public:
    ExportProgressView(TProgressForm& form, QtUiServices& ui);
    ~ExportProgressView() override;

    QWidget* widget() override;
    void refresh() override;

private:
    class Window;

    TProgressForm& form_;
    std::unique_ptr<Window> window_;
    QProgressBar* progressBar_ = nullptr;
    QLabel* exportPanel_ = nullptr;
};

} // namespace ovena
