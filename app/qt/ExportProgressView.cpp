#include "ExportProgressView.h"

#include "app/qt/FormWindow.h"
#include "app/qt/QtText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

namespace ovena {

// The window hands its key presses to the form, which cancels on Esc.
class ExportProgressView::Window : public FormWindow<TProgressForm> {
public:
    explicit Window(TProgressForm& form) : FormWindow(form), form_(form) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape)
            form_.FormKeyDown(27);
        else
            FormWindow::keyPressEvent(event);
    }

private:
    TProgressForm& form_;
};

ExportProgressView::ExportProgressView(TProgressForm& form, QtUiServices&)
    : QtFormView(form), form_(form), window_(std::make_unique<Window>(form)) {
    QWidget* window = window_.get();
    window->setObjectName(QStringLiteral("ProgressForm"));
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    window->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    progressBar_ = new QProgressBar(window);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setTextVisible(false);
    exportPanel_ = new QLabel(window);
    exportPanel_->setObjectName(QStringLiteral("ExportPanel"));
    exportPanel_->setFrameShape(QFrame::Panel);
    exportPanel_->setFrameShadow(QFrame::Sunken);
    exportPanel_->setAlignment(Qt::AlignCenter);
    refresh();
}

ExportProgressView::~ExportProgressView() = default;

QWidget* ExportProgressView::widget() {
    return window_.get();
}

void ExportProgressView::refresh() {
    QWidget* window = window_.get();
    window->setWindowTitle(qtText(form_.Caption));
    const QSize size(form_.ClientWidth, form_.ClientHeight);
    if (window->size() != size) {
        window->setFixedSize(size);
        centreOnScreen(window, size);
    }
    const auto& bar = form_.ProgressBar;
    progressBar_->setGeometry(bar.Left, bar.Top, bar.Width, bar.Height);
    progressBar_->setRange(bar.Min, bar.Max);
    progressBar_->setValue(bar.Position);
    progressBar_->setVisible(bar.Visible);
    const auto& panel = form_.ExportPanel;
    exportPanel_->setGeometry(panel.Left, panel.Top, panel.Width, panel.Height);
    exportPanel_->setText(qtText(panel.Caption));
    exportPanel_->setVisible(panel.Visible);
    if (window->isVisible())
        window->repaint();
}

} // namespace ovena
