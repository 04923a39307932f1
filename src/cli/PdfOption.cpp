#include "PdfOption.h"

#include <QCommandLineParser>
#include <QLocale>
#include <cstring>

namespace qm::cli {

QList<QCommandLineOption> PdfOption::options() {
    return {QCommandLineOption(QStringLiteral("pdf"), QString(), QStringLiteral("OUT")),
            QCommandLineOption(QStringLiteral("paper"), QString(), QStringLiteral("SIZE")),
            QCommandLineOption(QStringLiteral("max-pages"), QString(), QStringLiteral("N"))};
}

bool PdfOption::asked(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        // The parser takes no options after "--".
        if (std::strcmp(arg, "--") == 0)
            return false;
        for (const char* spelling : {"--pdf", "-pdf"}) {
            const std::size_t n = std::strlen(spelling);
            if (std::strncmp(arg, spelling, n) == 0 && (arg[n] == '\0' || arg[n] == '='))
                return true;
        }
    }
    return false;
}

const char* PdfOption::help() {
    return "PDF (claim and check):\n"
           "  --pdf OUT.pdf         Writes the report to OUT.pdf as the viewer prints\n"
           "                        it, instead of text on standard output. claim:\n"
           "                        each clicked node from a page of its own, under a\n"
           "                        heading with the file, the batch and provider, the\n"
           "                        patient, the control number, the dates of service\n"
           "                        (FA0 05.0 to 06.0) and the totals verdict with every\n"
           "                        compared XA0 total; then every record (repeated\n"
           "                        ones numbered, FA0-2 \"2 of 3\") with its fields:\n"
           "                        number, name, value as shown, the value as stored\n"
           "                        where it reads otherwise, valid or invalid. check:\n"
           "                        the problems (of the claims --filter chooses),\n"
           "                        grouped by batch under the file's figures, on\n"
           "                        landscape pages. Every page names the file, when it\n"
           "                        was printed and \"Page n of m\". OUT.pdf is written\n"
           "                        whole or not at all: a regular file is replaced,\n"
           "                        never the claim file, a folder, a device or a pipe\n"
           "                        (exit 2, with the reason). Nothing goes to standard\n"
           "                        output; the exit status is the command's own. Not\n"
           "                        with --json or --problems-only.\n"
           "  --paper a4|letter     The PDF's paper (default: letter where the locale\n"
           "                        measures in US units, else a4).\n"
           "  --max-pages N         Only the first N pages of the PDF (the foot of each\n"
           "                        page says how many there are in all).\n";
}

bool PdfOption::parse(const QCommandLineParser& parser, bool isPdfCommand, bool json,
                      bool problemsOnly, const std::function<std::string(const QString&)>& raw,
                      QString& error) {
    if (!parser.isSet(QStringLiteral("pdf"))) {
        for (const char* option : {"paper", "max-pages"})
            if (parser.isSet(QLatin1String(option))) {
                error = QStringLiteral("--%1 is for --pdf only").arg(QLatin1String(option));
                return false;
            }
        return true;
    }
    if (!isPdfCommand)
        error = QStringLiteral("--pdf is for claim and check only");
    else if (json)
        error = QStringLiteral("--pdf and --json exclude each other");
    else if (problemsOnly)
        error = QStringLiteral("--pdf prints the problems only: --problems-only is for text and "
                               "JSON");
    else if (parser.value(QStringLiteral("pdf")).isEmpty())
        error = QStringLiteral("--pdf needs a file to write");
    if (!error.isEmpty())
        return false;
    path_ = raw(parser.value(QStringLiteral("pdf")));

    const QString paper = parser.value(QStringLiteral("paper")).toLower();
    if (paper == QLatin1String("a4"))
        paper_ = QPageSize(QPageSize::A4);
    else if (paper == QLatin1String("letter"))
        paper_ = QPageSize(QPageSize::Letter);
    else if (!paper.isEmpty())
        error = QStringLiteral("--paper needs a4 or letter");
    else
        paper_ = QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                               ? QPageSize::Letter
                               : QPageSize::A4);
    if (parser.isSet(QStringLiteral("max-pages"))) {
        bool ok = false;
        maxPages_ = parser.value(QStringLiteral("max-pages")).toLongLong(&ok);
        if (!ok || maxPages_ < 1)
            error = QStringLiteral("--max-pages needs a whole number of 1 or more");
    }
    return error.isEmpty();
}

} // namespace qm::cli
