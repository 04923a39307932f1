#include "gui/lines/LineTableModel.h"

#include "core/check/ProblemStore.h"
#include "core/layouts/RecordTypes.h"
#include "core/lines/ProblemLineIndex.h"
#include "gui/common/CoreText.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemKind.h"
#include "gui/document/ProblemText.h"

#include <QApplication>
#include <QColor>
#include <QFontDatabase>
#include <QPalette>
#include <algorithm>

namespace {

// How much of a record type's hue goes into the row's background: enough to
// tell the types apart, little enough that the palette's text stays readable
// on a light or a dark base.
constexpr qreal kTint = 0.16;

QColor blend(const QColor& base, const QColor& hue, qreal amount) {
    return QColor::fromRgbF(base.redF() + (hue.redF() - base.redF()) * amount,
                            base.greenF() + (hue.greenF() - base.greenF()) * amount,
                            base.blueF() + (hue.blueF() - base.blueF()) * amount);
}

QString kindWords(qm::LineIndex::Kind kind) {
    qm::Problem::Kind problem{};
    return qm::LineIndex::problemKind(kind, problem) ? ProblemText::kindName(problem) : QString();
}

// A line's bytes one character each, its control bytes (an LF at its
// start, a tab) as their pictures, so that every column stays one column.
QString shownText(const std::string& bytes) {
    QString text = CoreText::fromFile(bytes);
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
    return text;
}

} // namespace

LineTableModel::LineTableModel(QObject* parent)
    : QAbstractTableModel(parent)
    , fixed_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
}

void LineTableModel::setIndex(std::shared_ptr<const qm::LineIndex> index) {
    beginResetModel();
    index_ = std::move(index);
    blocks_.clear();
    // Complete first: the count read after it is then the last.
    complete_ = index_ && index_->isComplete();
    lines_ = index_ ? index_->lineCount() : 0;
    first_ = 0;
    rows_ = fullRows();
    changed_ = false;
    endResetModel();
    emit linesChanged();
}

void LineTableModel::setWindowRows(int rows) {
    beginResetModel();
    windowRows_ = std::max(rows, 1);
    first_ = 0;
    rows_ = fullRows();
    endResetModel();
}

bool LineTableModel::centreOn(std::int64_t line) {
    const std::int64_t last = std::max<std::int64_t>(0, lines_ - windowRows_);
    const std::int64_t first = std::clamp<std::int64_t>(line - 1 - windowRows_ / 2, 0, last);
    // A window still filling is filled at once when asked to show a line.
    if (first == first_ && rows_ == fullRows())
        return false;
    beginResetModel();
    first_ = first;
    rows_ = fullRows();
    endResetModel();
    return true;
}

bool LineTableModel::refresh() {
    if (!index_ || changed_)
        return false;
    const bool complete = index_->isComplete();
    const std::int64_t scanned = index_->lineCount();
    if (scanned > lines_) {
        // The block that ended at the last line shown has more lines now.
        blocks_.remove_if(
            [](const auto& kept) { return kept.second.size() < std::size_t(kBlockLines); });
        lines_ = scanned;
        emit linesChanged();
    }
    // The window's rows join the view a slice at a time: a view takes a
    // while over each row added.
    const int full = fullRows();
    if (full > rows_) {
        const int grown = std::min(full, rows_ + kRowsAdded);
        beginInsertRows(QModelIndex(), rows_, grown - 1);
        rows_ = grown;
        endInsertRows();
    }
    if (complete && !complete_ && lines_ == scanned && rows_ == full) {
        complete_ = true;
        // The last line may be cut, which was not known while it was read.
        blocks_.clear();
        if (rowCount() > 0)
            emit dataChanged(index(rowCount() - 1, 0), index(rowCount() - 1, ColumnCount - 1));
        return true;
    }
    return false;
}

void LineTableModel::setProblems(std::shared_ptr<const qm::ProblemLineIndex> problems,
                                 const qm::LayoutCatalogue* layouts) {
    problems_ = std::move(problems);
    store_ = problems_ ? problems_->store().get() : nullptr;
    layouts_ = layouts;
    spanFirst_ = 0;
    lineRows_.clear();
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int LineTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int LineTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const LineTableModel::Block* LineTableModel::block(std::int64_t first) const {
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
        if (it->first == first) {
            blocks_.splice(blocks_.begin(), blocks_, it);
            return &blocks_.front().second;
        }
    }
    static const Block none;
    if (changed_)
        return &none;
    if (index_->fileChanged()) {
        // Never the bytes of a file that is no longer the one indexed.
        changed_ = true;
        blocks_.clear();
        // Found while painting, told after it: the model is not changed here.
        auto* self = const_cast<LineTableModel*>(this);
        QMetaObject::invokeMethod(self, &LineTableModel::fileChanged, Qt::QueuedConnection);
        return &none;
    }
    Block lines;
    lines.reserve(kBlockLines);
    index_->forEach(first, kBlockLines, [&lines](const qm::LineIndex::Line& line) {
        lines.push_back(line);
        return true;
    });
    blocks_.emplace_front(first, std::move(lines));
    if (blocks_.size() > kBlocksKept)
        blocks_.pop_back();
    return &blocks_.front().second;
}

const qm::LineIndex::Line* LineTableModel::line(int row) const {
    if (!index_ || row < 0 || row >= rowCount())
        return nullptr;
    const std::int64_t number = lineOf(row);
    const std::int64_t first = (number - 1) / kBlockLines * kBlockLines + 1;
    const Block* lines = block(first);
    const std::size_t at = std::size_t(number - first);
    return at < lines->size() ? &(*lines)[at] : nullptr;
}

std::pair<std::size_t, std::size_t> LineTableModel::rowsAt(std::int64_t line) const {
    const std::int64_t span = (line - 1) / kSpanLines * kSpanLines + 1;
    if (span != spanFirst_) {
        spanFirst_ = span;
        lineRows_ = problems_ ? problems_->rowsIn(span, span + kSpanLines - 1)
                              : std::vector<std::pair<std::int64_t, std::int64_t>>();
    }
    const auto less = [](const std::pair<std::int64_t, std::int64_t>& a, std::int64_t b) {
        return a.first < b;
    };
    const auto first = std::lower_bound(lineRows_.begin(), lineRows_.end(), line, less);
    auto last = first;
    while (last != lineRows_.end() && last->first == line)
        ++last;
    return {std::size_t(first - lineRows_.begin()), std::size_t(last - lineRows_.begin())};
}

QString LineTableModel::problemText(const qm::LineIndex::Line& line) const {
    QStringList words;
    const auto [first, last] = rowsAt(line.number);
    for (std::size_t i = first; i < last && words.size() < ProblemText::kToolTipLines; ++i)
        words.append(ProblemText::line(store_->at(lineRows_[i].second).row(), layouts_));
    if (last - first > std::size_t(words.size()))
        words.append(QStringLiteral("(%1 more)").arg(last - first - std::size_t(words.size())));
    // A line that is no record says so even where the check lists no row
    // for it (short lines beyond those it lists).
    if (words.isEmpty() && line.kind != qm::LineIndex::Kind::Record)
        words.append(kindWords(line.kind));
    return words.join(QLatin1Char('\n'));
}

QVariant LineTableModel::mark(const qm::LineIndex::Line& line) const {
    const auto [first, last] = rowsAt(line.number);
    bool marked = false;
    ProblemKind worst = ProblemKind::NoXa0;
    for (std::size_t i = first; i < last; ++i) {
        const ProblemKind kind = markOf(store_->at(lineRows_[i].second).problem.kind);
        worst = marked ? std::min(worst, kind) : kind;
        marked = true;
    }
    qm::Problem::Kind problem{};
    if (qm::LineIndex::problemKind(line.kind, problem)) {
        worst = marked ? std::min(worst, markOf(problem)) : markOf(problem);
        marked = true;
    }
    return marked ? QVariant(ProblemIcons::icon(worst)) : QVariant();
}

QVariant LineTableModel::background(const qm::LineIndex::Line& line) const {
    if (line.typeIndex < 0)
        return {};
    // Hues spread by the golden angle, so that neighbouring types differ.
    const int hue = (line.typeIndex * 137) % 360;
    const QPalette palette = QApplication::palette();
    const QColor base = palette.color(QPalette::Base);
    const QColor tint = QColor::fromHsv(hue, 200, base.lightness() < 128 ? 230 : 200);
    return blend(base, tint, kTint);
}

QVariant LineTableModel::data(const QModelIndex& index, int role) const {
    const qm::LineIndex::Line* shown = index.isValid() ? line(index.row()) : nullptr;
    if (!shown)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case Number:
            return qlonglong(shown->number);
        case Position:
            return qlonglong(shown->position);
        case Type:
            return shown->type().empty() ? QStringLiteral("-") : CoreText::fromFile(shown->type());
        case Text:
            return shownText(shown->bytes);
        default:
            return {};
        }
    case Qt::DecorationRole:
        return column == Number ? mark(*shown) : QVariant();
    case Qt::ToolTipRole:
        if (column == Type && shown->typeIndex >= 0)
            return CoreText::fromUtf8(qm::kRecordTypeNames[std::size_t(shown->typeIndex)]);
        if (column == Type || column == Number || column == Text) {
            const QString words = problemText(*shown);
            return words.isEmpty() ? QVariant() : QVariant(words);
        }
        return {};
    case Qt::FontRole:
        return column == Text || column == Type ? QVariant(fixed_) : QVariant();
    case Qt::BackgroundRole:
        return background(*shown);
    case Qt::TextAlignmentRole:
        return column == Number || column == Position ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case KindRole:
        return int(shown->kind);
    case ProblemCountRole: {
        const auto [first, last] = rowsAt(shown->number);
        return qlonglong(last - first);
    }
    default:
        return {};
    }
}

QVariant LineTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::FontRole && section == Text)
        return fixed_;
    if (role == Qt::TextAlignmentRole && section == Text)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Number:
        return QStringLiteral("Line");
    case Position:
        return QStringLiteral("Byte");
    case Type:
        return QStringLiteral("Type");
    case Text:
        return ruler(kRulerColumns);
    default:
        return {};
    }
}

QString LineTableModel::ruler(int columns) {
    QString text;
    text.reserve(columns);
    for (int column = 1; column <= columns; ++column) {
        if (column % 10 == 0)
            text.append(QChar(u'0' + (column / 10) % 10));
        else
            text.append(column % 5 == 0 ? QLatin1Char('+') : QLatin1Char('.'));
    }
    return text;
}
