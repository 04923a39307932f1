#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

// What a printout says about itself and how much of it to print: the same
// for every report.
struct PrintOptions {
    QString fileName; // the claim file's name, at the top of every page
    QString title;    // what the report is, at the foot of every page and the PDF's title
    // When it was printed, at the top of every page; invalid: when printing begins.
    QDateTime printed;
    // Print only this many pages from the start; 0: all of them.
    std::int64_t firstPages = 0;
    // Asked now and then with how far the work has come (done of total, in
    // rows while pages are counted, then in pages); false cancels. Called
    // on the thread that prints.
    std::function<bool(std::int64_t done, std::int64_t total)> progress;
};
