// Turns one of Quorvel's HTML manuals into the PDF the Help menu opens.
//     quorvel_make_manual <manual.html> <screenshot.png> <output.pdf>
// The manual refers to the picture of the main window as "screenshot-main.png";
// whatever PNG is given is embedded there. Run on the offscreen platform.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "quorvel_make_manual: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 4)
        return fail("usage: quorvel_make_manual <manual.html> <screenshot.png> <output.pdf>");
    const QString htmlPath = args.at(1), screenshotPath = args.at(2), pdfPath = args.at(3);

    QFile htmlFile(htmlPath);
    if (!htmlFile.open(QIODevice::ReadOnly))
        return fail("cannot read " + htmlPath);
    const QString html = QString::fromUtf8(htmlFile.readAll());
    if (html.trimmed().isEmpty())
        return fail(htmlPath + " is empty");

    const QImage screenshot(screenshotPath);
    if (screenshot.isNull())
        return fail("cannot load the picture " + screenshotPath);

    QTextDocument document;
    document.setDefaultFont(QFont("DejaVu Sans", 10));
    document.addResource(QTextDocument::ImageResource, QUrl("screenshot-main.png"), screenshot);
    document.setHtml(html);

    // Write to a temporary name first, so that a failed run never leaves a
    // half-written manual that the build would take as up to date.
    const QString partial = pdfPath + ".part";
    {
        QPdfWriter writer(partial);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator("Quorvel");
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 18),
                                         QPageLayout::Millimeter));
        // Without a page size of its own the document is paginated to the
        // writer's pages and gets page numbers at the foot.
        document.print(&writer);
    }
    if (QFileInfo(partial).size() == 0)
        return fail("nothing was written to " + partial);
    QFile::remove(pdfPath);
    if (!QFile::rename(partial, pdfPath))
        return fail("cannot write " + pdfPath);
    return 0;
}
