#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace qm {
class LayoutCatalogue;
class RuleSet;
} // namespace qm

// The rules the viewer's whole-file check weighs claims by, as chosen in
// Tools > Rules and remembered in the settings: the format's integrity edits
// beside the map (on unless turned off) and the user's rules files, each on or
// off, in the order they were added. Loaded against a file's map when its
// check starts; a file that does not load is left out, and why is kept.
struct RulesChoice {
    struct File {
        QString path;
        bool on = true;
    };
    // What a choice gives for one map: the rules (nullptr: none to weigh) and,
    // by file, why a file did not load ("payer.rules:9:10: ..."; empty: it did).
    struct Loaded {
        std::shared_ptr<const qm::RuleSet> rules;
        QString integrityError;
        QStringList fileErrors; // by files
    };

    bool integrity = true;
    QList<File> files;

    // The choice remembered, or the first run's: the integrity edits alone.
    static RulesChoice remembered();
    void remember() const;
    Loaded load(const std::shared_ptr<const qm::LayoutCatalogue>& layouts) const;
};
