#include "AboutView.h"

#include "app/qt/QtText.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace ovena {

namespace {

QFont courier(int pixels, bool bold) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

AboutView::AboutView(TAboutBox& form, QtUiServices&)
    : QtFormView(form), form_(form), dialog_(std::make_unique<QDialog>()) {
    QDialog* dialog = dialog_.get();
    dialog->setObjectName(QStringLiteral("AboutBox"));
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    dialog->setFixedSize(form.ClientWidth, form.ClientHeight);

    listBox_ = new QListWidget(dialog);
    listBox_->setObjectName(QStringLiteral("ListBox"));
    listBox_->setFrameShape(QFrame::NoFrame);
    listBox_->setFont(courier(13, false));
    listBox_->setStyleSheet(QStringLiteral("QListWidget { background: rgb(131, 226, 222); }"
                                           "QListWidget::item { height: 16px; }"));
    listBox_->setGeometry(10, 10, 336, 237);

    label1_ = new QLabel(dialog);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(courier(19, true));
    label1_->setGeometry(10, form.ClientHeight - 32, 240, 24);

    auto* ok = new QPushButton(qtText(form.BitBtn1.Caption), dialog);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    QFont bold = dialog->font();
    bold.setBold(true);
    ok->setFont(bold);
    ok->setDefault(true);
    ok->setGeometry(form.ClientWidth - 85, form.ClientHeight - 33, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, ok, [this] { form_.BitBtn1Click(); });

    centreOnScreen(dialog, QSize(form.ClientWidth, form.ClientHeight));
    refresh();
}

AboutView::~AboutView() = default;

void AboutView::refresh() {
    dialog_->setWindowTitle(qtText(form_.Caption));
    label1_->setText(qtText(form_.Label1.Caption));
    QStringList items;
    for (const std::string& item : form_.ListBox.Items)
        items << qtText(item);
    listBox_->clear();
    listBox_->addItems(items);
}

} // namespace ovena
