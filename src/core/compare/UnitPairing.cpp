#include "core/compare/UnitPairing.h"

#include "core/claim/RecordSplitter.h"
#include "core/compare/UnitLines.h"
#include "core/compare/UnitReader.h"

#include <algorithm>

namespace qm {

namespace {

std::string unitKey(const StreamUnit& unit) {
    return unit.place.key(unit.unit);
}

// A line row's place: where the line begins, its number and its text.
UnitPlace linePlace(std::int64_t position, std::int64_t line, std::string_view text) {
    UnitPlace place;
    place.position = position;
    place.line = line;
    place.text.assign(text);
    return place;
}

Difference lineRow(DifferenceKind kind, UnitPlace a, UnitPlace b, std::string what) {
    Difference row;
    row.unit = CompareUnit::Line;
    row.kind = kind;
    row.a = std::move(a);
    row.b = std::move(b);
    row.name = std::move(what);
    return row;
}

} // namespace

UnitPairing::UnitPairing(const FileComparison::File& a, const FileComparison::File& b,
                         const FileComparison::Options& options, std::uint64_t seed,
                         FileComparison::Summary& summary,
                         const std::function<void(Difference&&)>& onDifference,
                         std::function<bool()> goOn)
    : comparer_(a.layouts, b.layouts)
    , layouts_{a.layouts, b.layouts}
    , files_{&a.file, &b.file}
    , options_(options)
    , seed_(seed)
    , summary_(summary)
    , onDifference_(onDifference)
    , goOn_(std::move(goOn)) {
}

bool UnitPairing::goingOn() {
    // While the files are read, their reading asks.
    constexpr std::uint64_t kStepsBetweenAsking = 256;
    if (finishing_ && !stopped_ && ++steps_ % kStepsBetweenAsking == 0 && goOn_ && !goOn_())
        stopped_ = true;
    return !stopped_;
}

UnitPairing::~UnitPairing() = default;

void UnitPairing::take(int side, StreamUnit&& unit) {
    if (unit.unreadable)
        changed(side);
    std::optional<WaitingUnits::Entry> partner = waiting_[1 - side].take(unit.unit, unit.key);
    if (partner) {
        if (side == 0)
            compare(unit, true, partner->unit, partner->kept);
        else
            compare(partner->unit, partner->kept, unit, true);
        return;
    }
    // A key whose units wait outside memory: every later one goes after them.
    if (spill_ && spill_->mayHold(unit.unit, unit.key)) {
        spill_->add(side, ++order_, unit);
        return;
    }
    waiting_[side].add(++order_, std::move(unit));
    makeRoom();
}

void UnitPairing::makeRoom() {
    while (waiting_[0].kept() + waiting_[1].kept() > options_.keptBytes)
        if (!waiting_[waiting_[0].kept() >= waiting_[1].kept() ? 0 : 1].letOldestGo())
            break;
    while (waiting_[0].footprint() + waiting_[1].footprint() > options_.waitingBytes) {
        // The oldest are the likeliest never to find a partner.
        const int side = waiting_[0].footprint() >= waiting_[1].footprint() ? 0 : 1;
        auto entries = waiting_[side].takeOldestKey();
        if (entries.empty())
            break;
        if (!spill_)
            spill_ = std::make_unique<UnitSpill>(options_.sortBytes);
        for (auto& [order, entry] : entries)
            spill_->add(side, order, entry.unit);
    }
}

void UnitPairing::finishSpilled() {
    // In the order of each file, A's first: sorted outside memory as well.
    SortedSpill left(options_.sortBytes);
    const UnitSpill::Alone leave = [this, &left](int side, StreamUnit&& unit) {
        std::string key(1, char(side));
        for (int shift = 56; shift >= 0; shift -= 8)
            key.push_back(char((std::uint64_t(unit.place.position) >> shift) & 0xff));
        left.add(key, UnitSpill::encode(unit));
        return goingOn();
    };
    bool whole = spill_->pairUp(
        [this](StreamUnit&& a, StreamUnit&& b) {
            compare(a, false, b, false);
            return goingOn();
        },
        leave);
    spill_.reset();
    for (int side = 0; side < 2 && !stopped_; ++side)
        for (auto& [order, entry] : waiting_[side].entries())
            leave(side, std::move(entry.unit));
    whole = left.forEach([this](std::string_view key, std::string_view unit) {
        if (!stopped_)
            alone(key[0], UnitSpill::decode(unit));
        return goingOn();
    }) && whole;
    summary_.incomplete = summary_.incomplete || !whole;
}

void UnitPairing::finish(const UnitStream::Counts& a, const UnitStream::Counts& b) {
    finishing_ = true;
    if (spill_) {
        finishSpilled();
    } else {
        for (int side = 0; side < 2; ++side) {
            // In file order: a batch before its claims, though it ended after them.
            std::vector<StreamUnit*> left;
            for (auto& [order, entry] : waiting_[side].entries())
                left.push_back(&entry.unit);
            std::sort(left.begin(), left.end(), [](const StreamUnit* x, const StreamUnit* y) {
                return x->place.position < y->place.position;
            });
            for (std::size_t i = 0; i < left.size() && goingOn(); ++i)
                alone(side, std::move(*left[i]));
        }
    }
    if (!stopped_ &&
        (a.fileUnshown != b.fileUnshown || a.fileUnshownDigest != b.fileUnshownDigest)) {
        std::vector<Difference> rows;
        unshownLines(nullptr, nullptr, rows);
        for (Difference& row : rows)
            emit(std::move(row));
    }
}

void UnitPairing::alone(int side, StreamUnit&& unit) {
    Difference difference;
    difference.unit = unit.unit;
    difference.kind = side == 0 ? DifferenceKind::Removed : DifferenceKind::Added;
    (side == 0 ? difference.a : difference.b) = std::move(unit.place);
    difference.name = std::move(unit.name);
    difference.number = std::move(unit.number);
    emit(std::move(difference));
}

void UnitPairing::changed(int side) {
    (side == 0 ? summary_.changedA : summary_.changedB) = true;
}

void UnitPairing::recall(int side, StreamUnit& unit, bool kept) {
    if (kept)
        return;
    if (!readers_[side]) {
        readers_[side] = std::make_unique<SequentialFile>();
        readers_[side]->openSame(*files_[side]);
    }
    if (!UnitReader::read(*readers_[side], layouts_[side], unit.unit, unit.place, unit.records,
                          seed_))
        changed(side);
}

void UnitPairing::compare(StreamUnit& a, bool aKept, StreamUnit& b, bool bKept) {
    recall(0, a, aKept);
    recall(1, b, bKept);
    std::vector<UnitComparer::UnseenLine> unseen;
    Difference difference;
    difference.fields = comparer_.changes(a.records, b.records, &unseen);
    std::vector<Difference> lines;
    recordLines(a, b, unseen, lines);
    if (a.unshown != b.unshown || a.unshownDigest != b.unshownDigest)
        unshownLines(&a, &b, lines);
    const bool moved = a.unit == CompareUnit::Claim &&
                       (a.batchKey != b.batchKey || a.batchNumber != b.batchNumber);
    if (moved || !difference.fields.empty()) {
        difference.kind = moved ? DifferenceKind::Moved : DifferenceKind::Changed;
        difference.unit = a.unit;
        difference.a = std::move(a.place);
        difference.b = std::move(b.place);
        difference.name = std::move(a.name);
        difference.number = std::move(a.number);
        emit(std::move(difference));
    }
    for (Difference& line : lines)
        emit(std::move(line));
}

void UnitPairing::recordLines(const StreamUnit& a, const StreamUnit& b,
                              const std::vector<UnitComparer::UnseenLine>& unseen,
                              std::vector<Difference>& rows) const {
    for (const UnitComparer::UnseenLine& line : unseen) {
        const UnitRecords::Record& some = line.inA ? line.a : line.b;
        const LayoutCatalogue& layouts = line.inA ? comparer_.layoutsA() : comparer_.layoutsB();
        const std::string what =
            RecordSplitter::nodeKey(layouts, {some.typeIndex, some.occurrence}) + " of " +
            unitWord(a.unit) + ' ' + unitKey(line.inA ? a : b) + ", outside its fields";
        UnitPlace inA = line.inA ? linePlace(line.a.where.position, line.a.where.line, line.a.line)
                                 : UnitPlace();
        UnitPlace inB = line.inB ? linePlace(line.b.where.position, line.b.where.line, line.b.line)
                                 : UnitPlace();
        const DifferenceKind kind = !line.inA   ? DifferenceKind::Added
                                    : !line.inB ? DifferenceKind::Removed
                                                : DifferenceKind::Changed;
        rows.push_back(lineRow(kind, std::move(inA), std::move(inB), what));
    }
}

void UnitPairing::unshownLines(const StreamUnit* a, const StreamUnit* b,
                               std::vector<Difference>& rows) {
    UnitLines inA(*files_[0], layouts_[0], seed_, a);
    UnitLines inB(*files_[1], layouts_[1], seed_, b);
    UnitLines::Line x;
    UnitLines::Line y;
    bool hasA = inA.next(x);
    bool hasB = inB.next(y);
    while ((hasA || hasB) && goingOn()) {
        if (hasA && hasB && x.digest != y.digest)
            rows.push_back(lineRow(DifferenceKind::Changed, linePlace(x.position, x.line, x.text),
                                   linePlace(y.position, y.line, y.text), x.what));
        else if (hasA && !hasB)
            rows.push_back(lineRow(DifferenceKind::Removed, linePlace(x.position, x.line, x.text),
                                   UnitPlace(), x.what));
        else if (hasB && !hasA)
            rows.push_back(lineRow(DifferenceKind::Added, UnitPlace(),
                                   linePlace(y.position, y.line, y.text), y.what));
        if (hasA)
            hasA = inA.next(x);
        if (hasB)
            hasB = inB.next(y);
    }
}

void UnitPairing::emit(Difference&& difference) {
    ++summary_.differences[static_cast<std::size_t>(difference.unit)]
                          [static_cast<std::size_t>(difference.kind)];
    onDifference_(std::move(difference));
}

} // namespace qm
