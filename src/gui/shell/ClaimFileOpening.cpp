#include "gui/shell/ClaimFileOpening.h"

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
    BackgroundWork<NoBatch, Outcome> work;
    work.startWork(
        [path = CoreText::fromPath(path), folders = context.mapFolders(),
         layouts = std::move(layoutsOtherwise)](BackgroundWork<NoBatch, Outcome>::Reporter& run) {
            Outcome outcome;
            outcome.opened =
                qm::ClaimFileOpener::open(path, folders, layouts, outcome.messages, &run.control());
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
