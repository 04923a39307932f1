#pragma once

#include <QString>
#include <QStringList>

class QImage;

// What poppler's tools read back from a PDF: its text page by page, its
// page size and count, its pictures, and a page drawn as an image.
class PdfTools {
public:
    // Whether pdftotext, pdfinfo, pdfimages and pdftoppm are installed
    // (poppler-utils; scripts/install-debian-packages.sh installs it).
    static bool available();
    // The text of every page, laid out as on the page (pdftotext -layout).
    static QStringList pages(const QString& path);
    // A line of pdfinfo: "Pages", "Page size" ("595.276 x 841.89 pts (A4)").
    static QString info(const QString& path, const QString& key);
    // How many pictures (raster images) the PDF holds.
    static int imageCount(const QString& path);
    // Page `page` (1-based) drawn at dpi dots per inch.
    static QImage render(const QString& path, int page, int dpi);
    // Whether each part comes after the one before in text; a run of blanks
    // matches any other (pdftotext sets out columns with them).
    static bool inOrder(QString text, const QStringList& parts);
};
