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
    if (open(file, std::move(layouts), spacing) && scan(control))
        return true;
    clear();
    return false;
}

void LineIndex::clear() {
    lineCount_.store(0, std::memory_order_release);
    fileTrailerLine_.store(0, std::memory_order_release);
    complete_.store(false, std::memory_order_release);
}

bool LineIndex::open(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     std::int64_t spacing) {
    clear();
    file_.close();
    layouts_ = std::move(layouts);
    spacing_ = std::max<std::int64_t>(1, spacing);
    segments_.clear();
    size_ = 0;
    scanned_ = 0;
    nextStart_ = 1;
    scanner_.close();
    if (!file_.openSame(file) || !scanner_.openSame(file))
        return false;
    identity_ = file_.identity();
    size_ = file_.size();
    // Every line but the last takes at least its line end, so a file has at
    // most size + 1 lines; the table of segments is made once, for them all.
    const std::int64_t kept = (size_ + 1) / spacing_ + 1;
    segments_.resize(std::size_t(kept) / kSegmentStarts + 1);
    return true;
}

bool LineIndex::keep(std::size_t kept, std::int64_t start) {
    const std::size_t segment = kept / kSegmentStarts;
    if (segment >= segments_.size())
        return false;
    if (!segments_[segment])
        segments_[segment] = std::make_unique<std::int64_t[]>(kSegmentStarts);
    segments_[segment][kept % kSegmentStarts] = start;
    return true;
}

bool LineIndex::scan(ProgressControl* control, std::int64_t upTo) {
    if (!scanner_.isOpen())
        return false;
    if (isComplete() || nextStart_ >= upTo)
        return true;
    if (control)
        control->bytesTotal.store(size_, std::memory_order_relaxed);
    scanner_.seek(nextStart_);
    std::int64_t nextReport = nextStart_ + kReportEvery;
    std::int64_t count = scanned_;
    std::int64_t trailer = fileTrailerLine();
    bool stopped = false;
    bool reached = false;
    scanner_.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (lineStart >= upTo) {
            reached = true;
            nextStart_ = lineStart;
            return false;
        }
        if (lineStart >= nextReport) {
            // What was kept up to here is written: readers may have it.
            lineCount_.store(count, std::memory_order_release);
            if (control) {
                control->bytesDone.store(lineStart - 1, std::memory_order_relaxed);
                if (control->cancel.load(std::memory_order_relaxed)) {
                    nextStart_ = lineStart;
                    stopped = true;
                    return false;
                }
            }
            nextReport = lineStart + kReportEvery;
        }
        if (count % spacing_ == 0 && !keep(std::size_t(count / spacing_), lineStart)) {
            nextStart_ = lineStart;
            stopped = true; // more lines than the size opened allows: it grew
            return false;
        }
        ++count;
        if (trailer == 0 && takeRecordOfType(line, "ZA0")) {
            trailer = count;
            fileTrailerLine_.store(trailer, std::memory_order_release);
        }
        return true;
    });
    scanned_ = count;
    if (control)
        control->bytesDone.store((reached ? nextStart_ : scanner_.position()) - 1,
                                 std::memory_order_relaxed);
    if (stopped)
        return false;
    lineCount_.store(count, std::memory_order_release);
    if (!reached)
        complete_.store(true, std::memory_order_release);
    return true;
}

bool LineIndex::fileChanged() const {
    return file_.isOpen() && file_.identity() != identity_;
}

std::int64_t LineIndex::seekNear(SequentialFile& reader, std::int64_t number,
                                 std::int64_t lines) const {
    if (number < 1 || number > lines || !reader.openSame(file_))
        return 0;
    const std::size_t kept = std::size_t((number - 1) / spacing_);
    reader.seek(keptStart(kept));
    return std::int64_t(kept) * spacing_ + 1;
}

void LineIndex::describe(std::string_view text, std::int64_t number, std::int64_t position,
                         std::int64_t lastLine, Line& line) const {
    line.number = number;
    line.position = position;
    line.bytes.assign(text.data(), text.size());
    line.recordStart = !text.empty() && text.front() == '\n' ? 1 : 0;
    std::string_view record = text;
    const bool isRecord = takeRecordLine(record);
    line.typeIndex = recordTypeIndex(line.type());
    line.inLayouts =
        line.typeIndex >= 0 && layouts_ && layouts_->at(line.typeIndex).fieldCount() > 0;
    const std::int64_t trailer = fileTrailerLine();
    if (!isRecord)
        line.kind = number == lastLine ? Kind::CutLastLine : Kind::ShortLine;
    else if (line.typeIndex < 0)
        line.kind = Kind::UnknownRecordType;
    else if (trailer != 0 && number > trailer)
        line.kind = Kind::RecordAfterFileTrailer;
    else
        line.kind = Kind::Record;
}

std::int64_t LineIndex::forEach(std::int64_t from, std::int64_t count,
                                const std::function<bool(const Line&)>& visit) const {
    // Complete first: once it is, the count read after it is the last.
    const bool complete = isComplete();
    const std::int64_t lines = lineCount();
    SequentialFile reader;
    std::int64_t number = seekNear(reader, from, lines);
    if (number == 0 || count <= 0)
        return 0;
    const std::int64_t last = std::min(lines, from + std::min(count, lines) - 1);
    const std::int64_t lastLine = complete ? lines : 0;
    std::int64_t visited = 0;
    Line line;
    reader.forEachLine([&](std::string_view text, std::int64_t lineStart) {
        if (number >= from) {
            describe(text, number, lineStart, lastLine, line);
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
    const bool complete = isComplete();
    const std::int64_t lines = lineCount();
    if (position < 1 || position > size_ || lines == 0)
        return 0;
    // The last kept start at or before the position, by halves.
    std::size_t low = 0;
    std::size_t high = std::size_t((lines - 1) / spacing_) + 1;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (keptStart(middle) <= position)
            low = middle;
        else
            high = middle;
    }
    SequentialFile reader;
    if (!reader.openSame(file_))
        return 0;
    reader.seek(keptStart(low));
    std::int64_t number = std::int64_t(low) * spacing_;
    std::int64_t found = 0;
    reader.forEachLine([&](std::string_view, std::int64_t) {
        ++number;
        // The position lies in this line when the next one starts beyond it;
        // in the last line, once there is no next.
        if (reader.position() > position || (complete && number == lines)) {
            found = number;
            return false;
        }
        return number < lines;
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
