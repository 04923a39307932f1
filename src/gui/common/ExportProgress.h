#pragma once

#include "gui/common/ExportFile.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class QAbstractItemModel;
class QProgressDialog;

// The progress of an export of many rows. Millions of rows take seconds to
// write: every few thousand the window answers again, behind a progress
// window (over the parent's window) whose Cancel stops the export. Rows that
// change under it (a sort or a filter that ends, rows that go) stop it too,
// since what was written would be neither the old rows nor the new; rows
// appended after the last taken change nothing. A few rows are written at
// once, without a window. Made before the file is chosen, it shows nothing
// until the first row.
//
//   ExportProgress progress(parent, caption, count);
//   progress.watch(rows);
//   for (int row = 0; row < count; ++row) {
//       if (!progress.goOn(row))
//           return false;
//       ...
//   }
class ExportProgress : public QObject {
    Q_OBJECT
public:
    // Rows written between turns of the event loop: a few milliseconds' work.
    static constexpr int kRowsPerTurn = 2'000;
    // Fewer rows are written at once, without a progress window.
    static constexpr int kRowsAtOnce = 10 * kRowsPerTurn;

    ExportProgress(QWidget* parent, const QString& caption, int rows);
    ~ExportProgress() override;

    // The rows written must not change until the export ends.
    void watch(const QAbstractItemModel& rows);
    // Before each row: false once the export is to stop.
    bool goOn(int row);
    bool cancelled() const { return cancelled_; }
    bool changed() const { return changed_; }
    // The message for a failed write of path: none when cancelled, the rows'
    // change when they changed, otherwise the reason the file was not written.
    QString failure(const QString& path, const QString& reason) const;
    // Has the request word its failures as failure() does (the progress
    // outlives the export).
    void tellFailures(ExportFile::Request& request) const;

private:
    void showDialog();

    QPointer<QWidget> parent_;
    QString caption_;
    std::unique_ptr<QProgressDialog> dialog_;
    int rows_;
    QPointer<const QAbstractItemModel> watched_;
    bool watching_ = false;
    bool cancelled_ = false;
    bool changed_ = false;
};
