#pragma once

#include "core/openfile/ClaimFileOpener.h"

#include <QString>

class AppContext;
class QWidget;

// Opens a claim file as File > Open does: on a worker, since finding the
// file header may read gigabytes, with a progress dialog and Cancel over
// parent when it takes long; then the opener's messages, shown over parent
// in the order it gave them. A file whose lines end in LF only is first
// asked about: read with LF as the line end, or as one line (the default).
class ClaimFileOpening {
public:
    // With the run's map folders; a version that names no map opens with
    // layoutsOtherwise.
    static qm::ClaimFileOpener::Opened
    open(const QString& path, const AppContext& context,
         std::shared_ptr<const qm::LayoutCatalogue> layoutsOtherwise, QWidget* parent);
};
