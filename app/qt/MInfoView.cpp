#include "MInfoView.h"

#include "app/qt/QtText.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace ovena {

MInfoView::MInfoView(TFormMInfo& form, QtUiServices&)
    : QtFormView(form), form_(form), window_(std::make_unique<FormWindow<TFormMInfo>>(form)) {
    QWidget* window = window_.get();
    window->setObjectName(QStringLiteral("FormMInfo"));
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    panel_ = new QFrame(window);
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Sunken);

    labelTitel_ = new QLabel(panel_);
    labelTitel_->setObjectName(QStringLiteral("LabelTitel"));
    QFont bold = window->font();
    bold.setBold(true);
    labelTitel_->setFont(bold);
    labelTitel_->setAlignment(Qt::AlignCenter);
    labelTitel_->setGeometry(12, 12, 249, 16);

    labelInfo_ = new QLabel(panel_);
    labelInfo_->setObjectName(QStringLiteral("LabelInfo"));
    labelInfo_->setAlignment(Qt::AlignCenter);
    labelInfo_->setGeometry(10, 29, 253, 16);

    progress_ = new QProgressBar(panel_);
    progress_->setObjectName(QStringLiteral("Progress"));
    progress_->setTextVisible(false);
    progress_->setGeometry(12, 30, 249, 13);

    labelinfo2_ = new QLabel(panel_);
    labelinfo2_->setObjectName(QStringLiteral("Labelinfo2"));
    labelinfo2_->setAlignment(Qt::AlignCenter);
    labelinfo2_->setGeometry(10, 46, 253, 16);

    btAbbruch_ = new QPushButton(panel_);
    btAbbruch_->setObjectName(QStringLiteral("BtAbbruch"));
    btAbbruch_->setGeometry(100, 74, 75, 25);
    QObject::connect(btAbbruch_, &QPushButton::clicked, btAbbruch_,
                     [this] { form_.BtAbbruchClick(); });
    refresh();
}

MInfoView::~MInfoView() = default;

QWidget* MInfoView::widget() {
    return window_.get();
}

void MInfoView::refresh() {
    QWidget* window = window_.get();
    const QSize size(form_.ClientWidth, form_.ClientHeight);
    if (window->size() != size) {
        window->setFixedSize(size);
        centreOnScreen(window, size);
    }
    panel_->setGeometry(0, 0, size.width(), size.height());
    labelTitel_->setText(qtText(form_.LabelTitel.Caption));
    labelTitel_->setVisible(form_.LabelTitel.Visible);
    labelInfo_->setText(qtText(form_.LabelInfo.Caption));
    labelInfo_->setVisible(form_.LabelInfo.Visible);
    progress_->setRange(form_.Progress.Min, form_.Progress.Max);
    progress_->setValue(form_.Progress.Position);
    progress_->setVisible(form_.Progress.Visible);
    labelinfo2_->setText(qtText(form_.Labelinfo2.Caption));
    btAbbruch_->setText(qtText(form_.BtAbbruch.Caption));
    btAbbruch_->setVisible(form_.BtAbbruch.Visible);
    if (window->isVisible())
        window->repaint();
}

} // namespace ovena
