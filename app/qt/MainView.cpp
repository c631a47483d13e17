#include "MainView.h"

#include "app/qt/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace ovena {

namespace {

constexpr int SpeedBarWidth = 111;

QFont formFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* label(QWidget* parent, const QString& text, const QColor& colour, const QFont& font) {
    auto* result = new QLabel(text, parent);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, colour);
    result->setPalette(palette);
    result->setFont(font);
    return result;
}

QString joinedLines(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines)
        texts << qtText(line);
    return texts.join(QLatin1Char('\n'));
}

} // namespace

MainView::MainView(TFormMain& form, QtUiServices&)
    : QtFormView(form), form_(form), window_(std::make_unique<FormWindow<TFormMain>>(form)) {
    QWidget* window = window_.get();
    window->setObjectName(QStringLiteral("FormMain"));
    window->setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setFont(formFont());
    window->setFixedSize(form.ClientWidth, form.ClientHeight);

    auto* speedBar = new QFrame(window);
    speedBar->setObjectName(QStringLiteral("SpeedBar1"));
    speedBar->setFrameShape(QFrame::StyledPanel);
    speedBar->setGeometry(0, 0, SpeedBarWidth, form.ClientHeight);
    const std::pair<SpeedItem*, QStyle::StandardPixmap> items[] = {
        {&form.btClose, QStyle::SP_DialogCloseButton},
        {&form.BtHelp, QStyle::SP_DialogHelpButton},
        {&form.SpItReaddata, QStyle::SP_DriveHDIcon},
        {&form.BtKonfig, QStyle::SP_FileDialogDetailedView},
        {&form.BtArchive, QStyle::SP_FileDialogContentsView}};
    const char* names[] = {"btClose", "BtHelp", "SpItReaddata", "BtKonfig", "BtArchive"};
    void (TFormMain::*handlers[])() = {&TFormMain::btCloseClick, &TFormMain::BtHelpClick,
                                       &TFormMain::SpItReaddataClick, &TFormMain::BtKonfigClick,
                                       &TFormMain::BtArchiveClick};
    for (int i = 0; i < 5; ++i) {
        SpeedItem* item = items[i].first;
        auto* button = new QToolButton(speedBar);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(window->style()->standardIcon(items[i].second));
        button->setIconSize(QSize(32, 32));
        button->setText(qtText(item->BtnCaption.empty() ? item->Caption : item->BtnCaption));
        button->setToolTip(qtText(item->Hint));
        button->setGeometry((SpeedBarWidth - 100) / 2, 4 + 60 * i, 100, 60);
        auto handler = handlers[i];
        QObject::connect(button, &QToolButton::clicked, button,
                         [&form = form_, handler] { (form.*handler)(); });
        speedButtons_.emplace_back(button, item);
    }

    pages_ = new QTabWidget(window);
    pages_->setObjectName(QStringLiteral("PageControl"));
    pages_->setDocumentMode(true);
    pages_->setGeometry(SpeedBarWidth, 0, form.ClientWidth - SpeedBarWidth, form.ClientHeight);
    pages_->addTab(buildIntroPage(), QStringLiteral("Intro"));
    pages_->addTab(buildTev640Page(), QStringLiteral("TEV640"));
    pages_->addTab(buildConfigPage(), QStringLiteral("Konfiguration"));

    centreOnScreen(window, QSize(form.ClientWidth, form.ClientHeight));
    refresh();
}

MainView::~MainView() = default;

QWidget* MainView::widget() {
    return window_.get();
}

QWidget* MainView::buildIntroPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabIntro"));
    auto* panel = new QFrame(page);
    panel->setGeometry(0, 0, form_.ClientWidth - SpeedBarWidth, form_.ClientHeight);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    const QColor navy(0, 0, 128);
    auto* title = label(panel, qtText(form_.IntroTitle.Caption), navy,
                        pixelFont(QStringLiteral("Arial"), 48));
    title->setObjectName(QStringLiteral("IntroTitle"));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 100, panel->width(), 70);
    auto* text =
        label(panel, qtText(form_.IntroText.Caption), navy, pixelFont(QStringLiteral("Arial"), 37));
    text->setObjectName(QStringLiteral("IntroText"));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    text->setGeometry(0, 180, panel->width(), 100);
    return page;
}

QWidget* MainView::buildTev640Page() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabTEV640"));
    struct SectionLayout {
        TextSection* section;
        QColor colour;
        Button* button;
        const char* buttonName;
        void (TFormMain::*handler)();
        int top;
        int height;
    };
    const SectionLayout sections[] = {
        {&form_.DataExportSection, QColor(0, 128, 0), &form_.BtExecuteExport, "BtExecuteExport",
         &TFormMain::BtExecuteExportClick, 8, 150},
        {&form_.InfoSection, QColor(0, 0, 128), &form_.BtInfo, "BtInfo", &TFormMain::BtInfoClick,
         164, 98},
        {&form_.ClearSection, QColor(255, 0, 0), &form_.RxSpeedButton1, "RxSpeedButton1",
         &TFormMain::RxSpeedButton1Click, 268, 98}};
    const int width = form_.ClientWidth - SpeedBarWidth - 16;
    QFont bold = formFont();
    bold.setBold(true);
    for (const SectionLayout& layout : sections) {
        auto* frame = new QFrame(page);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
        frame->setGeometry(8, layout.top, width, layout.height);
        auto* title = label(frame, qtText(layout.section->Title), layout.colour, bold);
        title->setGeometry(10, 6, width - 20, 16);
        auto* text = label(frame, joinedLines(layout.section->Lines),
                           frame->palette().color(QPalette::WindowText), formFont());
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setGeometry(10, 24, width - 20, layout.height - 56);
        auto* button = new QPushButton(qtText(layout.button->Caption), frame);
        button->setObjectName(QString::fromLatin1(layout.buttonName));
        button->setGeometry(width - 130, layout.height - 32, 120, 25);
        auto handler = layout.handler;
        QObject::connect(button, &QPushButton::clicked, button,
                         [&form = form_, handler] { (form.*handler)(); });
        buttons_.emplace_back(button, layout.button);
        if (layout.button == &form_.BtExecuteExport) {
            // What became of the last readout's records, left of the button.
            archiveStatus_ =
                label(frame, {}, frame->palette().color(QPalette::WindowText), formFont());
            archiveStatus_->setObjectName(QStringLiteral("ArchiveStatus"));
            archiveStatus_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            archiveStatus_->setGeometry(10, layout.height - 36, width - 150, 32);
        }
    }
    return page;
}

// The configuration page, 500 x 380: the date, year and decimal choices and the header options
// on the left, the field list in the middle, the generation box and the COM ports on the right.
QWidget* MainView::buildConfigPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabKonfig"));
    QFont titleFont = formFont();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    auto* title = label(page, qtText(form_.ConfigTitle.Caption), QColor(128, 0, 0), titleFont);
    title->setObjectName(QStringLiteral("ConfigTitle"));
    title->setGeometry(10, 8, 300, 22);

    buildRadioGroup(page, form_.RadioGroup1, "RadioGroup1", QRect(10, 34, 170, 110), 1);
    buildRadioGroup(page, form_.RadioGroup2, "RadioGroup2", QRect(10, 148, 170, 42), 2);
    buildRadioGroup(page, form_.RadioGroup3, "RadioGroup3", QRect(10, 194, 170, 42), 2);

    auto* header = new QGroupBox(qtText(form_.HeaderGroup.Caption), page);
    header->setObjectName(QStringLiteral("HeaderGroup"));
    header->setGeometry(10, 240, 170, 100);
    buildCheckBox(header, form_.CBHeader, "CBHeader", QRect(10, 18, 150, 18),
                  &TFormMain::CBHeaderClick);
    buildCheckBox(header, form_.CBDimension, "CBDimension", QRect(26, 38, 134, 18),
                  &TFormMain::CBDimensionClick);
    buildCheckBox(header, form_.CBtimestamp, "CBtimestamp", QRect(10, 58, 150, 18),
                  &TFormMain::CBtimestampClick);
    buildCheckBox(header, form_.CBNumberRows, "CBNumberRows", QRect(10, 78, 150, 18),
                  &TFormMain::CBNumberRowsClick);

    auto* fieldsLabel = new QLabel(qtText(form_.FieldsLabel.Caption), page);
    fieldsLabel->setObjectName(QStringLiteral("FieldsLabel"));
    fieldsLabel->setGeometry(190, 34, 170, 16);
    listboxfields_ = new QListWidget(page);
    listboxfields_->setObjectName(QStringLiteral("Listboxfields"));
    listboxfields_->setGeometry(190, 52, 170, 318);
    for (const std::string& text : form_.Listboxfields.Items) {
        auto* item = new QListWidgetItem(qtText(text), listboxfields_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    }
    QObject::connect(listboxfields_, &QListWidget::itemChanged, listboxfields_,
                     [this](QListWidgetItem* item) {
                         const int row = listboxfields_->row(item);
                         if (row >= 0 && row < static_cast<int>(form_.Listboxfields.Checked.size()))
                             form_.Listboxfields.Checked[static_cast<std::size_t>(row)] =
                                 item->checkState() == Qt::Checked;
                         form_.TableSettingsChanged();
                     });

    buildCheckBox(page, form_.cbsvers, "cbsvers", QRect(370, 52, 128, 18),
                  &TFormMain::cbsversClick);

    groupBox2_ = new QGroupBox(qtText(form_.GroupBox2.Caption), page);
    groupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    groupBox2_->setToolTip(qtText(form_.GroupBox2.Hint));
    groupBox2_->setGeometry(form_.ClientWidth - SpeedBarWidth - 130, 200, 120, 169);
    return page;
}

void MainView::buildRadioGroup(QWidget* page, RadioGroup& group, const char* name,
                               const QRect& frame, int columns) {
    auto* box = new QGroupBox(qtText(group.Caption), page);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(frame);
    auto* buttons = new QButtonGroup(box);
    const int width = (frame.width() - 16) / columns;
    for (std::size_t i = 0; i < group.Items.size(); ++i) {
        auto* button = new QRadioButton(qtText(group.Items[i]), box);
        button->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        const int row = static_cast<int>(i) / columns;
        const int column = static_cast<int>(i) % columns;
        button->setGeometry(8 + column * width, 18 + row * 18, width, 17);
        buttons->addButton(button, static_cast<int>(i));
    }
    QObject::connect(buttons, &QButtonGroup::idClicked, box, [&form = form_, &group](int index) {
        group.ItemIndex = index;
        form.TableSettingsChanged();
    });
    radioGroups_.emplace_back(buttons, &group);
}

void MainView::buildCheckBox(QWidget* parent, CheckBox& box, const char* name, const QRect& frame,
                             void (TFormMain::*handler)()) {
    auto* check = new QCheckBox(qtText(box.Caption), parent);
    check->setObjectName(QString::fromLatin1(name));
    check->setGeometry(frame);
    QObject::connect(check, &QCheckBox::clicked, check,
                     [&form = form_, &box, handler](bool checked) {
                         box.Checked = checked;
                         (form.*handler)();
                         form.TableSettingsChanged();
                     });
    checkBoxes_.emplace_back(check, &box);
}

void MainView::rebuildPortButtons() {
    for (QRadioButton* button : portButtons_)
        delete button;
    portButtons_.clear();
    for (std::size_t i = 0; i < form_.PortButtons.size(); ++i) {
        const RadioButton& state = form_.PortButtons[i];
        auto* button = new QRadioButton(qtText(state.Caption), groupBox2_);
        button->setObjectName(qtText(state.Name));
        button->setAutoExclusive(false);
        button->setGeometry(state.Left, state.Top, groupBox2_->width() - state.Left - 4, 17);
        QObject::connect(button, &QRadioButton::clicked, button,
                         [this, i] { form_.PortButtonClick(i); });
        portButtons_.push_back(button);
    }
}

void MainView::refresh() {
    window_->setWindowTitle(qtText(form_.Caption));
    for (auto& [button, item] : speedButtons_)
        button->setEnabled(item->Enabled);
    for (auto& [button, state] : buttons_)
        button->setEnabled(state->Enabled);
    pages_->tabBar()->setVisible(form_.TabsVisible);
    pages_->setCurrentIndex(static_cast<int>(form_.ActivePage));
    archiveStatus_->setText(qtText(form_.ArchiveStatus.Caption));

    bool same = portButtons_.size() == form_.PortButtons.size();
    for (std::size_t i = 0; same && i < portButtons_.size(); ++i)
        same = portButtons_[i]->objectName() == qtText(form_.PortButtons[i].Name);
    if (!same)
        rebuildPortButtons();
    for (std::size_t i = 0; i < portButtons_.size(); ++i) {
        const RadioButton& state = form_.PortButtons[i];
        portButtons_[i]->setChecked(state.Checked);
        portButtons_[i]->setEnabled(state.Enabled);
        portButtons_[i]->setToolTip(QString::fromStdString(state.Hint));
        portButtons_[i]->setVisible(state.Visible);
    }
    refreshConfigPage();
}

void MainView::refreshConfigPage() {
    for (auto& [buttons, group] : radioGroups_) {
        // An index outside the choices shows none of them checked.
        QAbstractButton* chosen = buttons->button(group->ItemIndex);
        buttons->setExclusive(chosen != nullptr);
        for (QAbstractButton* button : buttons->buttons())
            button->setChecked(button == chosen);
        buttons->setExclusive(true);
    }
    for (auto& [check, state] : checkBoxes_) {
        check->setChecked(state->Checked);
        check->setEnabled(state->Enabled);
    }
    const QSignalBlocker blocker(listboxfields_);
    for (int row = 0; row < listboxfields_->count(); ++row)
        listboxfields_->item(row)->setCheckState(
            form_.Listboxfields.Checked[static_cast<std::size_t>(row)] ? Qt::Checked
                                                                       : Qt::Unchecked);
}

} // namespace ovena
