#include "gui/shell/ClaimFileOpening.h"

#include "core/common/MessageTexts.h"
#include "core/common/RecordingMessageSink.h"
#include "gui/common/BackgroundWork.h"
#include "gui/common/CoreText.h"
#include "gui/common/MessageBoxes.h"
#include "gui/document/AppContext.h"

qm::ClaimFileOpener::Opened
ClaimFileOpening::open(const QString& path, const AppContext& context,
                       std::shared_ptr<const qm::LayoutCatalogue> layoutsOtherwise,
                       QWidget* parent) {
    struct Outcome {
        qm::ClaimFileOpener::Opened opened;
        qm::RecordingMessageSink messages;
    };
    const std::string corePath = CoreText::fromPath(path);
    // Asked before the file header is looked for: read as one line, a file
    // whose first line is no AA0 would not even open. The question reads
    // the file's first 64 KiB only.
    qm::ClaimFileOpener::Options options;
    if (qm::ClaimFileOpener::hasLfOnlyLineEnds(corePath)) {
        options.lineEndsAsked = true;
        if (MessageBoxes(parent).show(qm::MessageTexts::readLfAsLineEnd()) ==
            qm::MessageAnswer::Yes)
            options.lineEnds = qm::SequentialFile::LineEnds::AlsoLf;
    }
    BackgroundWork<NoBatch, Outcome> work;
    work.startWork([path = corePath, folders = context.mapFolders(),
                    layouts = std::move(layoutsOtherwise),
                    options](BackgroundWork<NoBatch, Outcome>::Reporter& run) {
        Outcome outcome;
        outcome.opened = qm::ClaimFileOpener::open(path, folders, layouts, outcome.messages,
                                                   &run.control(), options);
        return outcome;
    });
    work.waitShowingProgress({QStringLiteral("frmOpenProgress"), QStringLiteral("Open"),
                              QStringLiteral("Looking for the file header...")},
                             parent);
    Outcome outcome = work.takeSummary();
    MessageBoxes messages(parent);
    for (const qm::Message& message : outcome.messages.messages)
        messages.show(message);
    return std::move(outcome.opened);
}
