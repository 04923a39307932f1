#include "core/lines/LineIndex.h"

#include "core/common/RecordLine.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"

namespace qm {

namespace {

// How often, in bytes read, the scan tells its progress and looks for a cancel.
constexpr std::int64_t kReportEvery = std::int64_t(1) << 20;

} // namespace

bool LineIndex::build(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                      ProgressControl* control, std::int64_t spacing) {
    file_.close();
    layouts_ = std::move(layouts);
    spacing_ = std::max<std::int64_t>(1, spacing);
    starts_.clear();
    lineCount_ = 0;
    size_ = 0;
    fileTrailerLine_ = 0;
    SequentialFile reader;
    if (!file_.openSame(file) || !reader.openSame(file))
        return false;
    size_ = reader.size();
    if (control)
        control->bytesTotal.store(size_, std::memory_order_relaxed);
    std::int64_t nextReport = kReportEvery;
    bool cancelled = false;
    reader.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (control && lineStart >= nextReport) {
            control->bytesDone.store(lineStart - 1, std::memory_order_relaxed);
            if (control->cancel.load(std::memory_order_relaxed)) {
                cancelled = true;
                return false;
            }
            nextReport = lineStart + kReportEvery;
        }
        if (lineCount_ % spacing_ == 0)
            starts_.push_back(lineStart);
        ++lineCount_;
        if (fileTrailerLine_ == 0 && takeRecordOfType(line, "ZA0"))
            fileTrailerLine_ = lineCount_;
        return true;
    });
    if (control)
        control->bytesDone.store(reader.position() - 1, std::memory_order_relaxed);
    if (cancelled) {
        starts_.clear();
        lineCount_ = 0;
        fileTrailerLine_ = 0;
        return false;
    }
    return true;
}

std::int64_t LineIndex::seekNear(SequentialFile& reader, std::int64_t number) const {
    if (number < 1 || number > lineCount_ || !reader.openSame(file_))
        return 0;
    const std::size_t kept = std::size_t((number - 1) / spacing_);
    reader.seek(starts_[kept]);
    return std::int64_t(kept) * spacing_ + 1;
}

void LineIndex::describe(std::string_view text, std::int64_t number, std::int64_t position,
                         Line& line) const {
    line.number = number;
    line.position = position;
    line.bytes.assign(text.data(), text.size());
    line.recordStart = !text.empty() && text.front() == '\n' ? 1 : 0;
    std::string_view record = text;
    const bool isRecord = takeRecordLine(record);
    line.typeIndex = recordTypeIndex(line.type());
    line.inLayouts =
        line.typeIndex >= 0 && layouts_ && layouts_->at(line.typeIndex).fieldCount() > 0;
    if (!isRecord)
        line.kind = number == lineCount_ ? Kind::CutLastLine : Kind::ShortLine;
    else if (line.typeIndex < 0)
        line.kind = Kind::UnknownRecordType;
    else if (fileTrailerLine_ != 0 && number > fileTrailerLine_)
        line.kind = Kind::RecordAfterFileTrailer;
    else
        line.kind = Kind::Record;
}

std::int64_t LineIndex::forEach(std::int64_t from, std::int64_t count,
                                const std::function<bool(const Line&)>& visit) const {
    SequentialFile reader;
    std::int64_t number = seekNear(reader, from);
    if (number == 0 || count <= 0)
        return 0;
    const std::int64_t last = std::min(lineCount_, from + std::min(count, lineCount_) - 1);
    std::int64_t visited = 0;
    Line line;
    reader.forEachLine([&](std::string_view text, std::int64_t lineStart) {
        if (number >= from) {
            describe(text, number, lineStart, line);
            line.cut = reader.lastLineCut();
            ++visited;
            if (!visit(line))
                return false;
        }
        return ++number <= last;
    });
    return visited;
}

bool LineIndex::read(std::int64_t number, Line& line) const {
    return forEach(number, 1, [&line](const Line& found) {
               line = found;
               return false;
           }) == 1;
}

std::int64_t LineIndex::lineAt(std::int64_t position) const {
    if (position < 1 || position > size_ || starts_.empty())
        return 0;
    // The last kept start at or before the position.
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
    const std::size_t kept = std::size_t(after - starts_.begin()) - 1;
    SequentialFile reader;
    if (!reader.openSame(file_))
        return 0;
    reader.seek(starts_[kept]);
    std::int64_t number = std::int64_t(kept) * spacing_;
    std::int64_t found = 0;
    reader.forEachLine([&](std::string_view, std::int64_t) {
        ++number;
        // The position lies in this line when the next one starts beyond it.
        if (reader.position() > position || number == lineCount_) {
            found = number;
            return false;
        }
        return true;
    });
    return found;
}

bool LineIndex::problemKind(Kind kind, Problem::Kind& problem) {
    switch (kind) {
    case Kind::ShortLine:
        problem = Problem::Kind::ShortLine;
        return true;
    case Kind::CutLastLine:
        problem = Problem::Kind::CutLastLine;
        return true;
    case Kind::UnknownRecordType:
        problem = Problem::Kind::UnknownRecordType;
        return true;
    case Kind::RecordAfterFileTrailer:
        problem = Problem::Kind::RecordsAfterFileTrailer;
        return true;
    case Kind::Record:
        break;
    }
    return false;
}

} // namespace qm
