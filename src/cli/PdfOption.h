#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QPageSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QCommandLineParser;

namespace qm::cli {

// --pdf OUT.pdf of claim and check, with --paper and --max-pages: the
// report printed as the viewer prints it, written to a PDF file instead of
// the text on standard output.
class PdfOption {
public:
    // The options it adds to the command line's parser.
    static QList<QCommandLineOption> options();
    // Whether the arguments ask for a PDF, looked at before the parser
    // runs: a PDF needs the GUI's fonts, so the tool must start as a
    // (display-less) GUI application.
    static bool asked(int argc, char* argv[]);
    // What the PDF help says, for --help.
    static const char* help();

    // Takes the options from a parsed command line, for a command that is
    // claim or check (isPdfCommand) and writes JSON or not; false, with
    // error, when they do not go together. raw gives an argument's bytes.
    bool parse(const QCommandLineParser& parser, bool isPdfCommand, bool json, bool problemsOnly,
               const std::function<std::string(const QString&)>& raw, QString& error);

    bool given() const { return !path_.empty(); }
    // The PDF's path in the file system's own bytes.
    const std::string& path() const { return path_; }
    const QPageSize& paper() const { return paper_; }
    // Only so many pages from the start; 0: all.
    std::int64_t maxPages() const { return maxPages_; }

private:
    std::string path_;
    QPageSize paper_;
    std::int64_t maxPages_ = 0;
};

} // namespace qm::cli
