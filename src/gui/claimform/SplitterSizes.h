#pragma once

class QSplitter;

// Remembers how a window's splitters divide it, between runs, beside the
// window's place: in the settings store's group "Splitters", one key per
// splitter (its object name) holding its panes' sizes in twips, separated by
// blanks ("1735 4740").
class SplitterSizes {
public:
    // Gives the splitter its stored sizes, in their proportions to the length
    // it has now; false (and nothing changed) when none are stored or they
    // do not fit it: a pane below its smallest size.
    static bool restore(QSplitter* splitter);
    static void save(const QSplitter* splitter);
};
