#include "ApplicationViews.h"

#include "app/qt/AboutView.h"
#include "app/qt/ArchiveView.h"
#include "app/qt/ExportChoiceView.h"
#include "app/qt/ExportProgressView.h"
#include "app/qt/MInfoView.h"
#include "app/qt/MainView.h"
#include "app/qt/QtUiServices.h"

#include <QFont>

namespace ovena {

void registerApplicationViews(QtUiServices& ui) {
    ui.registerView<TFormMain, MainView>();
    ui.registerView<TFormMInfo, MInfoView>();
    ui.registerView<TAboutBox, AboutView>();
    ui.registerView<TFormArchive, ArchiveView>();
    ui.registerView<TExportChoiceForm, ExportChoiceView>();
    ui.registerTransientView<TProgressForm, ExportProgressView>();
}

void installFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono"),
                                                               QStringLiteral("DejaVu Sans Mono")});
}

} // namespace ovena
