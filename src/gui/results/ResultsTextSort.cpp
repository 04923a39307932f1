#include "gui/results/ResultsTextSort.h"

#include <QHash>
#include <algorithm>
#include <thread>
#include <unordered_map>

namespace {

// Rows read between looks at the cancel flag.
constexpr int kRowsPerLook = 4096;
// Fewer rows than this a worker are not worth a thread of their own.
constexpr int kRowsPerWorker = 100'000;

struct TextHash {
    std::size_t operator()(const QString& text) const { return qHash(text); }
};

// One worker's share: its rows' numbers (into `ids`) and its distinct texts.
struct Share {
    int first = 0;
    int last = -1;
    std::vector<QString> texts;
    bool tooVaried = false;
};

void number(const ResultsSortSource::TextReader& read, Share& share, std::vector<int>& ids,
            const std::atomic<bool>& cancelled) {
    std::unordered_map<QString, int, TextHash> known;
    int row = share.first;
    int lastId = -1;
    read(share.first, share.last, [&](const QString& text) {
        // Neighbouring rows mostly share their text: no hashing for them.
        if (lastId < 0 || text != share.texts[std::size_t(lastId)]) {
            const auto [at, added] = known.emplace(text, int(share.texts.size()));
            if (added) {
                if (share.texts.size() >= std::size_t(ResultsTextSort::kMaxDistinct)) {
                    share.tooVaried = true;
                    return false;
                }
                share.texts.push_back(text);
            }
            lastId = at->second;
        }
        ids[std::size_t(row)] = lastId;
        ++row;
        return (row - share.first) % kRowsPerLook != 0 ||
               !cancelled.load(std::memory_order_relaxed);
    });
    if (row <= share.last && !share.tooVaried && !cancelled.load())
        share.tooVaried = true; // the reader stopped short: sorted another way
}

// Each share's numbers made ranks of the texts of all shares (equal texts one rank).
int rankTexts(std::vector<Share>& shares, std::vector<std::vector<int>>& rankOf) {
    struct Text {
        const QString* text;
        std::size_t share;
        int id;
    };
    std::vector<Text> all;
    for (std::size_t s = 0; s < shares.size(); ++s)
        for (std::size_t id = 0; id < shares[s].texts.size(); ++id)
            all.push_back({&shares[s].texts[id], s, int(id)});
    std::sort(all.begin(), all.end(),
              [](const Text& a, const Text& b) { return *a.text < *b.text; });
    rankOf.resize(shares.size());
    for (std::size_t s = 0; s < shares.size(); ++s)
        rankOf[s].resize(shares[s].texts.size());
    int ranks = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0 && *all[i - 1].text != *all[i].text)
            ++ranks;
        rankOf[all[i].share][std::size_t(all[i].id)] = ranks;
    }
    return all.empty() ? 0 : ranks + 1;
}

} // namespace

ResultsTextSort::Result ResultsTextSort::sort(const ResultsSortSource::TextReader& read, int count,
                                              const std::vector<int>& from, bool descending,
                                              int workers, const std::atomic<bool>& cancelled,
                                              std::vector<int>& order, std::vector<int>& rank) {
    const int shareCount = std::clamp(count / kRowsPerWorker, 1, std::max(workers, 1));
    std::vector<Share> shares(static_cast<std::size_t>(shareCount));
    for (int s = 0; s < shareCount; ++s) {
        shares[std::size_t(s)].first = int(qint64(count) * s / shareCount);
        shares[std::size_t(s)].last = int(qint64(count) * (s + 1) / shareCount) - 1;
    }
    // By source row: the number of its text in its share, then its text's rank.
    std::vector<int> keys(static_cast<std::size_t>(count));
    {
        std::vector<std::thread> helpers;
        for (std::size_t s = 1; s < shares.size(); ++s)
            helpers.emplace_back([&, s] { number(read, shares[s], keys, cancelled); });
        number(read, shares[0], keys, cancelled);
        for (std::thread& helper : helpers)
            helper.join();
    }
    if (cancelled.load())
        return Result::Cancelled;
    for (const Share& share : shares)
        if (share.tooVaried)
            return Result::TooVaried;
    std::vector<std::vector<int>> rankOf;
    const int ranks = rankTexts(shares, rankOf);
    for (const Share& share : shares) {
        const std::vector<int>& ranked = rankOf[std::size_t(&share - shares.data())];
        for (int row = share.first; row <= share.last; ++row) {
            const int r = ranked[std::size_t(keys[std::size_t(row)])];
            // Descending is ascending by the ranks turned round: ties keep their order.
            keys[std::size_t(row)] = descending ? ranks - 1 - r : r;
        }
    }
    if (cancelled.load())
        return Result::Cancelled;
    // One counting pass over the order given puts every row at its place.
    std::vector<int> starts(std::size_t(ranks) + 1, 0);
    for (const int key : keys)
        ++starts[std::size_t(key) + 1];
    for (std::size_t r = 1; r < starts.size(); ++r)
        starts[r] += starts[r - 1];
    order.assign(std::size_t(count), 0);
    rank.assign(std::size_t(count), 0);
    for (int place = 0; place < count; ++place) {
        const int row = from.empty() ? place : from[std::size_t(place)];
        const int to = starts[std::size_t(keys[std::size_t(row)])]++;
        order[std::size_t(to)] = row;
        rank[std::size_t(row)] = to;
    }
    return Result::Sorted;
}
