#include "gui/summary/SummaryBinding.h"

#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/summary/frmSummary.h"

#include <QDate>
#include <array>
#include <string>

SummaryBinding::SummaryBinding(frmSummary& window, ClaimDocument& document)
    : QObject(&window)
    , window_(window)
    , document_(&document) {
    std::array<QColor, qm::Problem::kKindCount> colors;
    for (int k = 0; k < qm::Problem::kKindCount; ++k)
        colors[std::size_t(k)] = ProblemIcons::color(markOf(qm::Problem::Kind(k)));
    window.setKindColors(colors);
    window.setWindowTitle(document.windowTitle(QStringLiteral("File Summary")));
    document.closeWithFile(&window);
    for (auto signal : {&ClaimDocument::checkStarted, &ClaimDocument::checkEnded})
        connect(&document, signal, this, &SummaryBinding::showState);
    connect(&document, &ClaimDocument::checkProgressed, this, &SummaryBinding::showState);

    connect(&window, &frmSummary::batchChosen, this, [this](qint64 position) {
        ClaimDocument::Place place;
        place.key = "BA0" + std::to_string(position);
        place.show = ClaimDocument::Place::Show::Select;
        if (document_)
            document_->goTo(place);
    });
    connect(&window, &frmSummary::kindChosen, this, [this](qm::Problem::Kind kind) {
        if (document_)
            document_->showProblems(int(kind));
    });
    connect(&window, &frmSummary::periodChosen, this,
            [this](const QDate& first, const QDate& last) {
                // The period's first and last day, as people type dates.
                if (document_)
                    document_->searchFor({ClaimDocument::SearchRequest::Match::Between,
                                          first.toString(Qt::ISODate), last.toString(Qt::ISODate),
                                          QStringLiteral("FA0"), QStringLiteral("05.0")});
            });
    connect(&window, &frmSummary::procedureChosen, this, [this](const QString& code) {
        if (document_)
            document_->searchFor({ClaimDocument::SearchRequest::Match::Exact, code, QString(),
                                  QStringLiteral("FA0"), QStringLiteral("09.0")});
    });
    showState();
}

void SummaryBinding::showState() {
    if (!document_)
        return;
    const ProblemCheck& check = document_->check();
    switch (check.state()) {
    case ProblemMarks::State::NotStarted:
    case ProblemMarks::State::Running:
        window_.setStatus(QStringLiteral("Reading the whole file\u2026 %1%").arg(check.percent()));
        break;
    case ProblemMarks::State::Cancelled:
        window_.setStatus(window_.statistics()
                              ? QStringLiteral("The check was cancelled: these are the figures of "
                                               "the check before.")
                              : QStringLiteral("The check was cancelled: there are no figures."));
        break;
    case ProblemMarks::State::Finished:
        window_.setStatistics(document_->statistics());
        window_.setStatus(check.fileChanged()
                              ? QStringLiteral("The file changed while it was read: these figures "
                                               "may be of neither the old file nor the new.")
                              : QString());
        break;
    }
}
