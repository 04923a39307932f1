#pragma once

#include "print/PrintOptions.h"
#include "print/TableDocument.h"

#include <QString>
#include <QStringList>
#include <vector>

class QChart;
class QPagedPaintDevice;

// The File Summary on paper: its headline figures at the top, as the window
// shows them (a figure above its caption), notes beneath, then its charts as
// the window draws them, each across the page and at most two to a page, in
// vectors (text and bars stay sharp, and a PDF's text can be searched).
// Portrait; every page has the frame of PageFrame. Charts are widgets' kin
// (QGraphicsWidget): print on the GUI thread.
class SummaryPages {
public:
    struct Figure {
        QString caption; // "Claims"
        QString value;   // "1,204"
    };

    // The charts stay the caller's; one that is in no scene is put in one
    // of its own while it is drawn.
    static TableDocument::Outcome print(QPagedPaintDevice& device, const PrintOptions& options,
                                        const std::vector<Figure>& figures,
                                        const QStringList& notes,
                                        const std::vector<QChart*>& charts);
};
