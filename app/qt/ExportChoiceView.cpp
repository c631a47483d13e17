#include "ExportChoiceView.h"

#include "app/qt/QtText.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace ovena {

namespace {
constexpr int IconSize = 32;
} // namespace

QIcon iconFor(const TExportChoiceForm::ImageState& image) {
    if (image.IconFile.empty())
        return {};
    const QString name = QFile::decodeName(image.IconFile.c_str());
    if (QFileInfo(name).isFile())
        return QIcon(name);
    return QIcon::fromTheme(name);
}

ExportChoiceView::ExportChoiceView(TExportChoiceForm& form, QtUiServices&)
    : QtFormView(form), form_(form), dialog_(std::make_unique<QDialog>()) {
    QDialog* dialog = dialog_.get();
    dialog->setObjectName(QStringLiteral("ExportChoiceForm"));
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    dialog->setFixedSize(form.ClientWidth, form.ClientHeight);

    auto* group = new QGroupBox(qtText(form.GroupBox1), dialog);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 8, 297, 105);

    // The children's positions are the dialog's, so they are placed relative to the group.
    exportTypeComboBox_ = new QComboBox(group);
    exportTypeComboBox_->setObjectName(QStringLiteral("ExportTypeComboBox"));
    exportTypeComboBox_->setEditable(false);
    exportTypeComboBox_->setMaxVisibleItems(form.ExportTypeComboBox.DropDownCount);
    exportTypeComboBox_->setGeometry(16 - 8, 24 - 8, 265, 21);
    QObject::connect(exportTypeComboBox_, &QComboBox::activated, dialog, [this](int index) {
        form_.ExportTypeComboBox.ItemIndex = index;
        form_.ExportTypeComboBoxChange();
    });

    viewRadioButton_ = new QRadioButton(qtText(form.ViewRadioButton.Caption), group);
    viewRadioButton_->setObjectName(QStringLiteral("ViewRadioButton"));
    viewRadioButton_->setGeometry(16 - 8, 56 - 8, 227, 17);
    QObject::connect(viewRadioButton_, &QRadioButton::clicked, dialog,
                     [this] { form_.ViewRadioButtonClick(); });
    fileRadioButton_ = new QRadioButton(qtText(form.FileRadioButton.Caption), group);
    fileRadioButton_->setObjectName(QStringLiteral("FileRadioButton"));
    fileRadioButton_->setGeometry(16 - 8, 76 - 8, 227, 17);
    QObject::connect(fileRadioButton_, &QRadioButton::clicked, dialog,
                     [this] { form_.FileRadioButtonClick(); });

    image1_ = new QLabel(group);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(247 - 8, 58 - 8, IconSize, IconSize);

    auto* ok = new QPushButton(qtText(form.OKBtn.Caption), dialog);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(form.OKBtn.Default);
    ok->setGeometry(316, 15, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, dialog, [this] {
        form_.OKBtnClick();
        dialog_->accept();
    });
    auto* cancel = new QPushButton(qtText(form.CancelBtn.Caption), dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(316, 45, 75, 25);
    // Cancel, Esc and the close box all reject the dialog.
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::rejected, dialog, [this] { form_.CancelBtnClick(); });

    centreOnScreen(dialog, QSize(form.ClientWidth, form.ClientHeight));
    exportTypeComboBox_->setFocus();
    refresh();
}

ExportChoiceView::~ExportChoiceView() = default;

void ExportChoiceView::refresh() {
    dialog_->setWindowTitle(qtText(form_.Caption));
    const auto& state = form_.ExportTypeComboBox;
    const QSignalBlocker blocker(exportTypeComboBox_);
    QStringList items;
    for (const std::string& item : state.Items)
        items << qtText(item);
    QStringList shown;
    for (int i = 0; i < exportTypeComboBox_->count(); ++i)
        shown << exportTypeComboBox_->itemText(i);
    if (shown != items) {
        exportTypeComboBox_->clear();
        exportTypeComboBox_->addItems(items);
    }
    exportTypeComboBox_->setCurrentIndex(state.ItemIndex);
    viewRadioButton_->setChecked(form_.ViewRadioButton.Checked);
    viewRadioButton_->setEnabled(form_.ViewRadioButton.Enabled);
    fileRadioButton_->setChecked(form_.FileRadioButton.Checked);
    fileRadioButton_->setEnabled(form_.FileRadioButton.Enabled);
    showIcon();
}

void ExportChoiceView::showIcon() {
    const QIcon icon = iconFor(form_.Image1);
    if (icon.isNull())
        image1_->clear();
    else
        image1_->setPixmap(icon.pixmap(IconSize, IconSize));
}

} // namespace ovena
