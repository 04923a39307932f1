#pragma once

#include "gui/common/ExportFile.h"

#include <QString>

class CompareFeed;
class QAbstractItemModel;
class QWidget;

// File > Export Comparison: the rows the comparison window shows, in its
// order and with its columns, one row per field that differs as
// `quillmark-cli diff` lists them (its record, field number and name, and
// the values in A and in B, the blanks at their end left off unless they
// alone differ); a unit without such fields (added, removed, moved, a line)
// is one row with those columns empty. The changed units are read again
// from both files as the side-by-side view reads them.
class CompareExport {
public:
    // shown: the window's rows, a proxy of the feed's model.
    static ExportFile::Written toFile(QWidget* parent, const CompareFeed& feed,
                                      const QAbstractItemModel& shown,
                                      const QString& suggestedPath);
};
