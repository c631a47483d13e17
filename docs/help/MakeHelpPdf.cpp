// Turns the help document's HTML source into "Ovena Help.pdf": A4 pages with numbers, images
// resolved beside the source. Runs at build time without a display (QT_QPA_PLATFORM=offscreen).
//
//   ovena-helpdoc SOURCE.html OUTPUT.pdf

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>
#include <cstdio>

namespace {

// Loads the images the source names, relative to the source's folder. A missing image is an
// error of the source: it is reported and fails the build step.
class HelpDocument : public QTextDocument {
public:
    explicit HelpDocument(QDir folder) : folder_(std::move(folder)) {}
    bool missingImage = false;

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        if (type != QTextDocument::ImageResource)
            return QTextDocument::loadResource(type, name);
        const QString path = folder_.absoluteFilePath(name.toString());
        QImage image(path);
        if (image.isNull()) {
            std::fprintf(stderr, "ovena-helpdoc: cannot read the image %s\n", qPrintable(path));
            missingImage = true;
        }
        // Screenshots keep all their pixels and print at 70 % of their screen size.
        image.setDevicePixelRatio(1.4);
        return image;
    }

private:
    QDir folder_;
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: ovena-helpdoc SOURCE.html OUTPUT.pdf\n");
        return 2;
    }
    QFile source(arguments[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ovena-helpdoc: cannot read %s\n", qPrintable(arguments[1]));
        return 1;
    }

    HelpDocument document(QFileInfo(arguments[1]).absoluteDir());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.setHtml(QString::fromUtf8(source.readAll()));
    // Lays the document out, which loads its images.
    document.pageCount();
    if (document.missingImage)
        return 1;

    // Written beside the target and renamed, so an interrupted build leaves no torn document.
    const QString output = arguments[2];
    const QString partial = output + QStringLiteral(".part");
    {
        QPdfWriter writer(partial);
        writer.setTitle(QStringLiteral("Ovena Help"));
        writer.setCreator(QStringLiteral("Ovena"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        document.print(&writer);
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "ovena-helpdoc: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
