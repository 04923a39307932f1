#pragma once

#include <string>

// The command-line tool's whole-file passes against `wc -l` over the same
// file, run in turn with it: medians and minimums of wall and CPU times, and
// the load beside them.
class CliBenchmark {
public:
    CliBenchmark(std::string cli, std::string file, std::string mapsDir, int runs);
    // `quillmark-cli tree` and `tree --json`, and the JSON against the text.
    void tree() const;
    // The whole-file check: one job and two, text and JSON, everything and
    // only what has a problem, each with its peak memory; and the JSON
    // against the text report with two jobs.
    void check() const;
    // The file summary against the check it is gathered by: the same pass
    // with its statistics and without (at most 15 % more), and the memory
    // the statistics add.
    void summary() const;
    // The check with the integrity edits, and with them and the 50 rules of
    // bench/payer-50.rules, against the check without rules (at most 1.5
    // times) and wc -l, all four in turn run after run, with two jobs.
    void rules() const;
    // The claim list with two jobs: filtered by the question billing staff
    // ask (at most 3 times wc -l), and every claim listed, with the check's
    // pass beside it and the peak memory of each.
    void list() const;
    // The field search with two jobs: one field of every claim, and every
    // field, for a value found nowhere (as a support question about one
    // control number is), for a name found in many claims, for patterns and
    // for a number comparison.
    void search() const;
    // The field search's peak memory when every blank value matches (tens of
    // millions of matches), with two jobs and eight, as text and as JSON.
    void searchMemory() const;
    // The comparison of the file with another (a changed copy) with two
    // jobs, text, JSON and by position, against `wc -l` over both files,
    // each with its peak memory.
    void diff(const std::string& other) const;
    // The problems printed to a PDF (check --pdf), its first 1,000 pages and
    // its first 10: the peak memory of each (target under 100 MiB for 1,000
    // pages, and pages are not kept, so about the same for both).
    void pdf() const;

private:
    std::string cli_;
    std::string file_;
    std::string mapsDir_;
    int runs_;
};
