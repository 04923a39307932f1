#pragma once

#include "gui/common/FindState.h"
#include "gui/document/WorkSeams.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FilterTap;
class ProblemCheck;
class QWidget;
class ResultsFeed;
class StatisticsTap;
class TreeBuildJob;

namespace qm {
struct AssembledClaim;
class FileTree;
struct FileStatistics;
class OpenClaimFile;
} // namespace qm

// One open claim file and all the viewer has of it: the engine's open file,
// its tree (built on a worker, kept until the file closes or View Claims
// builds it again), the whole-file check of that tree with the statistics its
// reading gathers (and whatever else taps it), the feeds of results the user
// asked for (a field search, a comparison), the find state and the claim
// clicked last. Every window about the file is a view of it: it binds to the
// document with one call and follows its signals, and closing a view stops
// none of the document's work. The main window makes one for each file it
// opens and lets it go when the file closes: the document then closes every
// view, cancels its jobs and waits for their workers.
//
// What a view cannot show itself (a node of the tree, a claim, the problems
// of a kind, a search) it asks of the document, which says so in a signal;
// the shell opens the view that shows it.
class ClaimDocument : public QObject {
    Q_OBJECT
public:
    // Where a row of a view leads: a node of the tree by its key, opened as a
    // click opens it (with a claim form node's field framed), opened with the
    // trailer a batch's or the file's problem is about, or only selected.
    struct Place {
        enum class Show { Click, Trailer, Select };
        std::string key;
        Show show = Show::Click;
        std::string record; // a claim form node key ("FA0-2"); empty: none
        int field = -1;     // the field framed, by its index in the record's layout
        std::int64_t trailerPosition = 0;
        // What is wrong with the framed field where the click cannot tell (a
        // batch's or the file's totals): the form marks it wrong with this.
        QString note;
    };
    // What the last click opened: the claim as assembled, its node's key and
    // name, and the field to frame (record empty: none).
    struct Click {
        std::shared_ptr<const qm::AssembledClaim> claim;
        std::string key;
        QString name;
        QString record;
        int field = -1;
        QString note; // Place::note
    };
    // A search another view asks for (a bar of the file summary): text (to
    // `to` when between) in field fieldId of recordType.
    struct SearchRequest {
        enum class Match { Exact, Between };
        Match match = Match::Exact;
        QString text;
        QString to;
        QString recordType;
        QString fieldId;
    };

    // owner: the window dialogs about the file show over.
    ClaimDocument(std::shared_ptr<qm::OpenClaimFile> file, std::shared_ptr<const WorkSeams> seams,
                  QWidget* owner = nullptr);
    // Closes the document first.
    ~ClaimDocument() override;

    qm::OpenClaimFile& file() const { return *file_; }
    // For work that may outlive the call (a worker reading the file).
    const std::shared_ptr<qm::OpenClaimFile>& sharedFile() const { return file_; }
    // The path as the user named it.
    QString path() const;
    // The title of a window about the file: "what (path)", shown as plain
    // text whatever the path holds.
    QString windowTitle(const QString& what) const;
    // A file name to offer for an export: beside the claim file, its name
    // without the extension followed by suffix ("-problems.csv").
    QString besideFile(const QString& suffix) const;
    FindState& findState() { return findState_; }
    // The window dialogs about the file show over; nullptr when none.
    QWidget* ownerWindow() const;
    const std::shared_ptr<const WorkSeams>& seams() const { return seams_; }
    // Closes window (a document's content, or a window of its own) when the
    // document closes.
    void closeWithFile(QWidget* window);
    // Every claim file the document holds open: its own, and those its feeds
    // read (the file compared with).
    std::vector<std::string> claimFiles() const;

    // The tree, or null: before it was first built, or when a build was cancelled.
    const std::shared_ptr<const qm::FileTree>& tree() const { return tree_; }
    // Builds the tree (again: the tree before goes first, and its check's
    // rows with it) on a worker, with a progress dialog over the owner past
    // half a second; false when it was cancelled, failed (the user is told),
    // or the document closed meanwhile. The check starts on the new tree once
    // the event loop turns, the tree window being on screen by then.
    bool buildTree();
    // The tree as it is, built first when there is none.
    bool ensureTree();

    // The whole-file check of the tree (checking nothing while there is none).
    ProblemCheck& check() const { return *check_; }
    // The file's figures, gathered by the check's last finished reading; null before.
    std::shared_ptr<const qm::FileStatistics> statistics() const;
    // Claim filters reading along with the check as it goes.
    FilterTap& filterTap() const { return *filters_; }

    // The document's feeds of results, by name; nullptr for none yet.
    ResultsFeed* feed(const QString& name) const;
    // Adds a feed (named by its objectName), which becomes the document's.
    void addFeed(ResultsFeed* feed);

    // A click on node `node` of the tree: its records read into a claim for
    // the claim form (with a trailerPosition, on a batch or the file header,
    // its trailer there too), with record's field `field` framed; then the
    // totals message when the claim's totals do not compute and the user
    // wants it. Nothing when the click reads nothing.
    void clickNode(std::int64_t node, std::int64_t trailerPosition = 0,
                   const QString& record = QString(), int field = -1,
                   const QString& note = QString());
    const Click& lastClick() const { return click_; }
    // Whether a claim whose totals do not compute says so in a message
    // (Tools > Show Totals Message, kept in the settings).
    static bool showsTotalsMessage();
    static void setShowsTotalsMessage(bool shows);

    // Opens a place of the tree (building the tree first when there is
    // none); false, the user told why, when the key is not in the tree.
    bool goTo(const Place& place);
    // Asks for the problems window, listing only the rows of a kind (-1: all).
    void showProblems(int kind = -1);
    // Asks for the file's raw lines at a line (0: the line holding byte
    // position; with record, a claim form node key such as "FA0-2", that
    // record of the claim there instead), selected.
    void showLine(qint64 line, qint64 position = 0, const QString& record = QString());
    // Asks for a search in the search panel.
    void searchFor(const SearchRequest& request);

    // Closes the document: every view closes, every job is cancelled and its
    // workers waited for. The document stays (closed) until it is deleted.
    void close();
    bool isClosed() const { return closed_; }
    // Deletes the document once it is safe: now, or as soon as the dialog of
    // a tree build it waits in has gone (closing it first).
    void release();

signals:
    void treeProgressed(int percent);
    // A tree was built (again).
    void treeBuilt();
    // The check of the tree, as it goes: started, how far, rows found (the
    // claims marked from markedClaim(firstClaim) on), ended (finished,
    // cancelled, or on a file that changed while it was read).
    void checkStarted();
    void checkProgressed(int percent);
    void problemsArrived(qint64 firstClaim);
    void checkEnded();
    // A feed was added (ResultsFeed::runStarted and the rest follow).
    void feedAdded(ResultsFeed* feed);
    // Asked of whatever shows them: the node selected in the tree (quietly,
    // without opening it: a click follows on its own), the claim clicked
    // (lastClick()), the problems of a kind (-1: all), a search.
    void nodeRequested(qint64 node, bool quietly);
    void claimClicked();
    void problemsRequested(int kind);
    void lineRequested(qint64 line, qint64 position, const QString& record);
    void searchRequested(const ClaimDocument::SearchRequest& request);
    // The document is closing: whatever shows it closes now.
    void closing();

private:
    void connectCheck();
    // Every job cancelled, every worker joined.
    void stopWork();

    std::shared_ptr<qm::OpenClaimFile> file_;
    std::shared_ptr<const WorkSeams> seams_;
    QWidget* owner_;
    FindState findState_;
    std::shared_ptr<const qm::FileTree> tree_;
    std::unique_ptr<StatisticsTap> statistics_;
    std::unique_ptr<FilterTap> filters_;
    ProblemCheck* check_ = nullptr;
    std::vector<ResultsFeed*> feeds_;
    Click click_;
    // A tree build's dialog is up: the document waits in it.
    TreeBuildJob* building_ = nullptr;
    bool closed_ = false;
    bool releaseWhenBuilt_ = false;
};
