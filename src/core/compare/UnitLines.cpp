#include "core/compare/UnitLines.h"

namespace qm {

namespace {

// "an" before a type read by its letters aloud: an EA0, an FA0, a BA0.
const char* article(std::string_view type) {
    return !type.empty() && std::string_view("AEFHILMNORSX").find(type[0]) != std::string_view::npos
               ? "an "
               : "a ";
}

} // namespace

// Keeps the lines of the one unit asked for, and sees it end.
class UnitLines::Collector : public UnitScanner::Listener {
public:
    Collector(CompareUnit unit, std::int64_t position)
        : unit_(unit)
        , position_(position) {}

    void unit(StreamUnit&& unit) override {
        if (unit.unit == unit_ && unit.place.position == position_)
            ended = true;
    }
    void unshown(const UnshownLine& line) override {
        if (ended || line.ownerPosition != position_ || (position_ >= 0 && line.owner != unit_))
            return;
        Line kept;
        kept.why = line.why;
        kept.line = line.line;
        kept.position = line.position;
        kept.text.assign(line.text);
        kept.digest = line.digest;
        kept.what = describe(line);
        lines.push_back(std::move(kept));
    }

    std::deque<Line> lines;
    bool ended = false;

private:
    const CompareUnit unit_;
    const std::int64_t position_;
};

UnitLines::UnitLines(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                     std::uint64_t seed, const StreamUnit* unit) {
    file_.openSame(file);
    collector_ = std::make_unique<Collector>(unit ? unit->unit : CompareUnit::FileHeader,
                                             unit ? unit->place.position : -1);
    const std::int64_t from = unit ? unit->scanFrom : 1;
    scanner_ = std::make_unique<UnitScanner>(std::move(layouts), true, seed, file_, *collector_,
                                             unit ? unit->scanFromLine : 1);
    file_.seek(from);
}

UnitLines::~UnitLines() = default;

bool UnitLines::next(Line& line) {
    while (collector_->lines.empty() && !collector_->ended && !ended_) {
        std::string_view text;
        const std::int64_t start = file_.position();
        if (!file_.readLineView(text)) {
            ended_ = true;
            scanner_->finish(file_.position(), false);
            break;
        }
        scanner_->line(text, start, file_.lastLineCut(), file_.position());
    }
    if (collector_->lines.empty())
        return false;
    line = std::move(collector_->lines.front());
    collector_->lines.pop_front();
    return true;
}

std::string UnitLines::describe(const UnshownLine& line) {
    const std::string type(line.type);
    std::string what;
    switch (line.why) {
    case UnshownLine::TooShort:
        what = "a line too short to be a record";
        break;
    case UnshownLine::Record:
        what = article(type) + type + " record";
        break;
    case UnshownLine::Replaced:
        what = article(type) + type + " replaced by a later one";
        break;
    case UnshownLine::PastLast:
        what = article(type) + type + " past the 99th";
        break;
    }
    if (line.ownerPosition < 0)
        return what + " outside any file header";
    const std::string key = (line.owner == CompareUnit::Claim   ? "CA0"
                             : line.owner == CompareUnit::Batch ? "BA0"
                                                                : "AA0") +
                            std::to_string(line.ownerPosition);
    switch (line.owner) {
    case CompareUnit::Claim:
        return what + " in claim " + key;
    case CompareUnit::Batch:
        return what + " in batch " + key + ", outside its claims";
    default:
        return what + " under file header " + key + ", outside its batches";
    }
}

} // namespace qm
