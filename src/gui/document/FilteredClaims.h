#pragma once

#include "core/filter/ClaimListRow.h"

#include <cstdint>
#include <string>
#include <vector>

// Claims a filter chose, as a pass over the file hands them on: each with
// its node in the tree and, when the pass words them, its claim list row.
// The texts of the rows lie one after another in one string, so that a
// million rows cost no allocation each.
struct FilteredClaims {
    struct Row {
        std::int64_t node = -1; // in the document's tree; -1: not in it
        std::int64_t position = 0;
        std::int64_t batchPosition = -1;
        std::int64_t statedTotal = 0;
        std::int64_t linesTotal = 0;
        std::uint64_t textAt = 0; // patient, control number and provider, in texts
        std::uint16_t patientLength = 0;
        std::uint16_t controlLength = 0;
        std::uint16_t providerLength = 0;
        bool hasStatedTotal = false;
        std::int32_t firstService = 0;
        std::int32_t lines = 0;
        std::int32_t problems = 0;
    };

    std::vector<Row> rows;
    std::string texts;

    std::size_t size() const { return rows.size(); }

    // Adds a row, its texts copied.
    void add(const qm::ClaimListRow& row, std::int64_t node) {
        Row kept;
        kept.node = node;
        kept.position = row.position;
        kept.batchPosition = row.batchPosition;
        kept.statedTotal = row.statedTotal;
        kept.linesTotal = row.linesTotal;
        kept.hasStatedTotal = row.hasStatedTotal;
        kept.firstService = row.firstService;
        kept.lines = row.lines;
        kept.problems = row.problems;
        kept.textAt = texts.size();
        kept.patientLength = keep(row.patient);
        kept.controlLength = keep(row.controlNumber);
        kept.providerLength = keep(row.provider);
        rows.push_back(kept);
    }

    // Takes other's rows after these.
    void append(const FilteredClaims& other) {
        const std::uint64_t shift = texts.size();
        texts += other.texts;
        rows.reserve(rows.size() + other.rows.size());
        for (Row row : other.rows) {
            row.textAt += shift;
            rows.push_back(row);
        }
    }

    // Row i as the engine words it; its texts point into texts.
    qm::ClaimListRow row(std::size_t i) const {
        const Row& kept = rows[i];
        qm::ClaimListRow out;
        out.index = std::int64_t(i);
        out.position = kept.position;
        out.batchPosition = kept.batchPosition;
        const char* at = texts.data() + kept.textAt;
        out.patient = std::string_view(at, kept.patientLength);
        out.controlNumber = std::string_view(at + kept.patientLength, kept.controlLength);
        out.provider =
            std::string_view(at + kept.patientLength + kept.controlLength, kept.providerLength);
        out.firstService = kept.firstService;
        out.lines = kept.lines;
        out.hasStatedTotal = kept.hasStatedTotal;
        out.statedTotal = kept.statedTotal;
        out.linesTotal = kept.linesTotal;
        out.problems = kept.problems;
        return out;
    }

private:
    std::uint16_t keep(std::string_view text) {
        // A record field is never this long; the cap only keeps the length in its room.
        const std::size_t length = std::min<std::size_t>(text.size(), UINT16_MAX);
        texts.append(text.data(), length);
        return std::uint16_t(length);
    }
};
