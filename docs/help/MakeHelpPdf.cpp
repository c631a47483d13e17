// Turns the help document's HTML source into "Ovena Help.pdf": A4 pages with numbers, images
// resolved beside the source. Runs at build time without a display (QT_QPA_PLATFORM=offscreen).
//
//   ovena-helpdoc SOURCE.html OUTPUT.pdf

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <QVariant>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

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

// The page each named anchor lands on when QTextDocument::print lays the document out for
// `device`. print() lays out a copy: pages of the device's size, with 2 cm margins around the
// text measured at the screen's resolution. The same layout is made here.
std::map<QString, int> anchorPages(QTextDocument& document, QPagedPaintDevice& device) {
    std::unique_ptr<QTextDocument> copy(document.clone(&document));
    copy->documentLayout()->setPaintDevice(&device);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpiX = screen ? qRound(screen->logicalDotsPerInchX()) : 100;
    const qreal dpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 100;
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setLeftMargin(int(2 / 2.54 * dpiX));
    frame.setRightMargin(int(2 / 2.54 * dpiX));
    frame.setTopMargin(int(2 / 2.54 * dpiY));
    frame.setBottomMargin(int(2 / 2.54 * dpiY));
    copy->rootFrame()->setFrameFormat(frame);
    const QSizeF page(device.width(), device.height());
    copy->setPageSize(page);

    std::map<QString, int> pages;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        // The first line of text, not the top of the block: a heading whose space above it
        // ends one page begins on the next.
        copy->documentLayout()->blockBoundingRect(block); // lays the block out
        const QTextLayout* layout = block.layout();
        const qreal top =
            layout->position().y() + (layout->lineCount() ? layout->lineAt(0).y() : 0);
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            for (const QString& name : fragment.fragment().charFormat().anchorNames())
                pages[name] = int(top / page.height()) + 1;
    }
    return pages;
}

// Writes the page numbers into the contents: each link to "#name" that stands in a table cell
// gets the page of that anchor in the cell to its right. A link to an anchor the document
// lacks is an error of the source; it is reported and answers false.
bool fillContents(QTextDocument& document, const std::map<QString, int>& pages) {
    struct Entry {
        int position;
        QString anchor;
    };
    std::vector<Entry> entries;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QString href = fragment.fragment().charFormat().anchorHref();
            if (href.startsWith(u'#'))
                entries.push_back({fragment.fragment().position(), href.mid(1)});
        }
    // From the last entry back, so the numbers written leave the positions before them as
    // they were.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const auto page = pages.find(entry->anchor);
        if (page == pages.end()) {
            std::fprintf(stderr, "ovena-helpdoc: the contents name the missing anchor %s\n",
                         qPrintable(entry->anchor));
            return false;
        }
        QTextCursor cursor(&document);
        cursor.setPosition(entry->position);
        QTextTable* table = cursor.currentTable();
        if (!table)
            continue;
        const QTextTableCell cell = table->cellAt(cursor);
        if (cell.column() + 1 < table->columns())
            table->cellAt(cell.row(), cell.column() + 1)
                .firstCursorPosition()
                .insertText(QString::number(page->second));
    }
    return true;
}

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
        if (!fillContents(document, anchorPages(document, writer)))
            return 1;
        document.print(&writer);
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "ovena-helpdoc: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
