#include "gui/common/ExportProgress.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QProgressDialog>

namespace {

constexpr int kProgressShowMs = 400;

} // namespace

ExportProgress::ExportProgress(QWidget* parent, const QString& caption, int rows)
    : parent_(parent)
    , caption_(caption)
    , rows_(rows) {
}

ExportProgress::~ExportProgress() = default;

void ExportProgress::showDialog() {
    dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Exporting %L1 rows...").arg(rows_),
                                                QStringLiteral("Cancel"), 0, rows_,
                                                parent_ ? parent_->window() : nullptr);
    dialog_->setObjectName(QStringLiteral("dlgExportProgress"));
    dialog_->setWindowTitle(caption_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kProgressShowMs);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
}

void ExportProgress::watch(const QAbstractItemModel& rows) {
    watched_ = &rows;
    watching_ = true;
    const auto change = [this] {
        changed_ = true;
    };
    connect(&rows, &QAbstractItemModel::layoutAboutToBeChanged, this, change);
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, change);
    connect(&rows, &QAbstractItemModel::rowsAboutToBeRemoved, this, change);
    connect(&rows, &QAbstractItemModel::rowsAboutToBeMoved, this, change);
    connect(&rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first) { changed_ = changed_ || first < rows_; });
}

bool ExportProgress::goOn(int row) {
    // Made once the writing begins, not while the file is being chosen.
    if (row == 0 && rows_ > kRowsAtOnce && !dialog_)
        showDialog();
    if (dialog_ && row > 0 && row % kRowsPerTurn == 0) {
        dialog_->setValue(row);
        QCoreApplication::processEvents();
        cancelled_ = cancelled_ || dialog_->wasCanceled();
        changed_ = changed_ || (watching_ && !watched_);
    }
    return !cancelled_ && !changed_;
}

QString ExportProgress::failure(const QString& path, const QString& reason) const {
    // A cancelled export says nothing; the old file stays as it was either way.
    if (cancelled_)
        return QString();
    if (changed_)
        return QStringLiteral("Unable to write %1:\nThe rows changed while they were exported (a "
                              "sort or a filter ended, or the file was read again). Export them "
                              "again.")
            .arg(path);
    return QStringLiteral("Unable to write %1:\n%2").arg(path, reason);
}

void ExportProgress::tellFailures(ExportFile::Request& request) const {
    request.failure = [this](const QString& path, const QString& reason) {
        return failure(path, reason);
    };
}
