#pragma once

#include <QString>
#include <Qt>
#include <cstdint>

// The rows of a table as a printout shows them: what a window shows, in the
// order it shows it. A printout asks for rows in order, a page at a time,
// twice (once to count the pages, once to print them), from the thread that
// prints; rows may be many millions, so nothing is asked for all at once.
class TableRows {
public:
    // How a cell stands out: a printout gives each its own look.
    struct Style {
        bool strong = false; // bold (a required field's name)
        bool alert = false;  // a value that failed its check
        bool marked = false; // the field the window has marked
    };

    virtual ~TableRows();

    virtual int columnCount() const = 0;
    virtual QString header(int column) const = 0;
    virtual std::int64_t rowCount() const = 0;
    // A cell's text as the window shows it.
    virtual QString cell(std::int64_t row, int column) const = 0;

    virtual Qt::Alignment alignment(int column) const;
    virtual Style style(std::int64_t row, int column) const;
    // The column that takes the width left over; -1: the widest.
    virtual int stretchColumn() const;
    // Whether a long text wraps onto more lines (its row grows) rather than
    // being cut short: for tables of a few hundred rows. Rows that do not
    // wrap are all one line high, so that millions are counted fast.
    virtual bool wraps() const;

    // Rows may fall into groups, each under a heading of its own: a group
    // is the rows next to each other that have the same group().
    virtual bool grouped() const;
    virtual std::int64_t group(std::int64_t row) const;
    virtual QString groupHeading(std::int64_t row) const;
};
