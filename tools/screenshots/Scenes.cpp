#include "Scenes.h"

#include "SceneDriver.h"

namespace {

// A first start on sample301.nsf: its file tree, its claims checked and
// marked, and the claim form of O'DONNELL, WILMA opened beside the tree.
bool openFirstClaim(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.clickTreeNode(QStringLiteral("frmNSFTree"), QStringLiteral("CA0: O'DONNELL"));
}

// The README's first picture: the file tree of a sample and, beside it, the
// claim form of one claim with a field clicked, so the raw line shows the
// field's characters marked and the status panels describe it.
bool claimForm(SceneDriver& driver) {
    return openFirstClaim(driver) &&
           driver.clickTreeNode(QStringLiteral("frmClaimForm"), QStringLiteral("CA0")) &&
           driver.clickGridRow(QStringLiteral("Patient Last Name")) &&
           driver.save(QStringLiteral("claim-form.png"));
}

// The user guide's claim form: a service line with its charges clicked, so
// the row is framed in the grid, its columns are marked in the raw line
// under the column ruler, and the status panels describe the field.
bool claimFormRuler(SceneDriver& driver) {
    return openFirstClaim(driver) &&
           driver.clickTreeNode(QStringLiteral("frmClaimForm"), QStringLiteral("FA0-1")) &&
           driver.clickGridRow(QStringLiteral("Line Charges")) &&
           driver.saveWindow(QStringLiteral("frmClaimForm"),
                             QStringLiteral("claim-form-ruler.png"));
}

// The user guide's search: the search panel clear of the results of a search
// for "pond" (the batch's BA1 shows with each of its claims), and the claim
// form opened from a result with the matching field's row current.
bool search(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsSearchFields")) &&
           driver.type(QStringLiteral("txtSearchFor"), QStringLiteral("pond")) &&
           driver.clickAndWait(QStringLiteral("cmdSearch")) &&
           driver.doubleClickRow(QStringLiteral("frmSearchResults"), QStringLiteral("gridResults"),
                                 1) &&
           driver.save(QStringLiteral("search.png"));
}

// The file tree of a file with problems of every scope marked (claims, a
// batch's trailer, the file's structure), the problems window listing them
// with where each is, and the claim form opened from the batch's row on its
// YA0 with the field that does not balance framed.
bool problems(SceneDriver& driver) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsProblems")) &&
           driver.doubleClickRow(QStringLiteral("frmProblems"), QStringLiteral("gridProblems"),
                                 2) &&
           driver.save(QStringLiteral("problems.png"));
}

// The file tree showing only the claims with problems, and the batches and
// the file header with problems of their own or above them.
bool problemsOnly(SceneDriver& driver) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.triggerIn(QStringLiteral("frmNSFTree"), QStringLiteral("cmdProblemsOnly")) &&
           driver.save(QStringLiteral("problems-only.png"));
}

// The file tree narrowed by a display filter: only the claims over $150,
// under their batches, and the count of those shown in the status bar.
bool displayFilter(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.applyFilter(QStringLiteral("cboDisplayFilter"),
                              QStringLiteral("XA0.12.0 > 150.00 && FA0.05.0 >= 2003-04-01")) &&
           driver.save(QStringLiteral("display-filter.png"));
}

// The Claim List of a sample narrowed by its own filter, sorted by the
// stated total.
bool claimList(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsClaimList")) &&
           driver.applyFilter(QStringLiteral("cboClaimFilter"),
                              QStringLiteral("XA0.12.0 > 100.00 || problem")) &&
           driver.saveWindow(QStringLiteral("frmClaimList"), QStringLiteral("claim-list.png"));
}

// The file summary of a sample with its headline figures and charts, as it
// opens by itself once the whole file has been checked.
bool summary(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsSummary")) &&
           driver.saveWindow(QStringLiteral("frmSummary"), QStringLiteral("summary.png"));
}

// The print preview of the claim form of O'DONNELL, WILMA, her first
// service line's charges marked, as File > Print Preview... shows it.
bool claimPreview(SceneDriver& driver) {
    return openFirstClaim(driver) &&
           driver.clickTreeNode(QStringLiteral("frmClaimForm"), QStringLiteral("FA0-1")) &&
           driver.clickGridRow(QStringLiteral("Line Charges")) &&
           driver.savePrintPreview(QSize(900, 860), QStringLiteral("print-preview-claim.png"));
}

// The print preview of the file summary: its figures and charts on paper.
bool summaryPreview(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsSummary")) &&
           driver.savePrintPreview(QSize(900, 860), QStringLiteral("print-preview-summary.png"));
}

// The user guide's comparison: sample301.nsf compared with its corrected
// copy, every difference listed, and the first changed claim side by side
// with its first differing value in view.
bool compare(SceneDriver& driver) {
    return driver.start(QStringLiteral("sample301.nsf")) &&
           driver.chooseInNextDialog(QStringLiteral("sample301-changed.nsf")) &&
           driver.trigger(QStringLiteral("mnuFileCompare")) &&
           driver.waitUntilHidden(QStringLiteral("cmdCancelCompare")) &&
           driver.place(QStringLiteral("frmCompare"), QRect(0, 0, 1290, 250)) &&
           driver.doubleClickRow(QStringLiteral("frmCompare"), QStringLiteral("gridCompare"),
                                 QStringLiteral("O'DONNELL, WILMA")) &&
           driver.place(QStringLiteral("frmClaimCompare"), QRect(0, 250, 1290, 390)) &&
           driver.save(QStringLiteral("compare.png"));
}

// A first start on a laptop's screen: the main window grown to the screen,
// the tree, the summary beside it and a claim's form below it.
bool firstStart(SceneDriver& driver, const QString& picture) {
    return openFirstClaim(driver) && driver.save(picture);
}

// Four windows arranged by a Window command: the tree, its summary, a claim
// form and the problems window of faults301.nsf.
bool arranged(SceneDriver& driver, const QString& command, const QString& picture) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.clickTreeNode(QStringLiteral("frmNSFTree"), QStringLiteral("CA0: O'DONNELL")) &&
           driver.trigger(QStringLiteral("mnuToolsProblems")) && driver.trigger(command) &&
           driver.save(picture);
}

// The problems window of faults301.nsf as it opens, its columns fitted.
bool problemsWindow(SceneDriver& driver) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsProblems")) &&
           driver.saveWindow(QStringLiteral("frmProblems"), QStringLiteral("problems-window.png"));
}

// The problems window's Rules view: faults301.nsf checked with the made-up
// payer's rules added in Tools > Rules, its rows grouped by rule and kind.
bool problemsRules(SceneDriver& driver) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.chooseInNextDialog(QStringLiteral("larkspur.rules")) &&
           driver.trigger(QStringLiteral("mnuToolsRules")) &&
           driver.clickAndWait(QStringLiteral("cmdAddRules")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsProblems")) &&
           driver.clickAndWait(QStringLiteral("cmdRulesView")) &&
           driver.saveWindow(QStringLiteral("frmProblems"), QStringLiteral("problems-rules.png"));
}

// The raw lines of faults301.nsf found at a claim by Find, the short line
// above it marked, each record type in its colour under the column ruler.
bool fileLines(SceneDriver& driver) {
    return driver.start(QStringLiteral("faults301.nsf")) && driver.waitForCheck() &&
           driver.trigger(QStringLiteral("mnuToolsFileLines")) &&
           driver.waitUntilHidden(QStringLiteral("cmdCancelLines")) &&
           driver.place(QStringLiteral("frmFileLines"), QRect(0, 0, 1100, 520)) &&
           driver.type(QStringLiteral("txtFindLines"), QStringLiteral("DUBOIS")) &&
           driver.clickAndWait(QStringLiteral("cmdFindNextLine")) &&
           driver.saveWindow(QStringLiteral("frmFileLines"), QStringLiteral("file-lines.png"));
}

} // namespace

const std::vector<Scenes::Scene>& Scenes::all() {
    static const std::vector<Scene> scenes{
        {QStringLiteral("claim-form"),
         QStringLiteral("the file tree and a claim form with a field clicked, sample301.nsf"),
         claimForm},
        {QStringLiteral("claim-form-ruler"),
         QStringLiteral("the claim form alone: a field framed in the grid and marked under the "
                        "column ruler, sample301.nsf"),
         claimFormRuler},
        {QStringLiteral("compare"),
         QStringLiteral("the comparison of sample301.nsf with sample301-changed.nsf and its first "
                        "claim side by side"),
         compare},
        {QStringLiteral("file-lines"),
         QStringLiteral("the file's raw lines found at a claim, a short line marked, "
                        "faults301.nsf"),
         fileLines},
        {QStringLiteral("problems"),
         QStringLiteral("the marked file tree, the problems window and a batch's YA0 opened from "
                        "it, faults301.nsf"),
         problems},
        {QStringLiteral("problems-only"),
         QStringLiteral("the file tree showing only the claims with problems, faults301.nsf"),
         problemsOnly},
        {QStringLiteral("search"),
         QStringLiteral("the search panel, the results of a search and a claim opened from one"),
         search},
        {QStringLiteral("display-filter"),
         QStringLiteral("the file tree narrowed by a display filter, sample301.nsf"),
         displayFilter},
        {QStringLiteral("claim-list"),
         QStringLiteral("the Claim List narrowed by its filter, sample301.nsf"), claimList},
        {QStringLiteral("summary"),
         QStringLiteral("the file summary's headline figures and charts, sample301.nsf"), summary},
        {QStringLiteral("print-preview-claim"),
         QStringLiteral("the print preview of a claim form, a service line's charges marked, "
                        "sample301.nsf"),
         claimPreview},
        {QStringLiteral("print-preview-summary"),
         QStringLiteral("the print preview of the file summary, sample301.nsf"), summaryPreview},
        {QStringLiteral("first-start-1366"),
         QStringLiteral("a first start on a 1366x768 screen: tree, summary and a claim form"),
         [](SceneDriver& driver) {
             return firstStart(driver, QStringLiteral("first-start-1366.png"));
         },
         kLaptop},
        {QStringLiteral("first-start-1024"),
         QStringLiteral("a first start on a 1024x768 screen: tree, summary and a claim form"),
         [](SceneDriver& driver) {
             return firstStart(driver, QStringLiteral("first-start-1024.png"));
         },
         kSmallLaptop},
        {QStringLiteral("tile"),
         QStringLiteral("Window > Tile Horizontal with four windows, faults301.nsf, 1366x768"),
         [](SceneDriver& driver) {
             return arranged(driver, QStringLiteral("mnuWindowTileHorizontal"),
                             QStringLiteral("tile.png"));
         },
         kLaptop},
        {QStringLiteral("cascade"),
         QStringLiteral("Window > Cascade with four windows, faults301.nsf, 1366x768"),
         [](SceneDriver& driver) {
             return arranged(driver, QStringLiteral("mnuWindowCascade"),
                             QStringLiteral("cascade.png"));
         },
         kLaptop},
        {QStringLiteral("problems-window"),
         QStringLiteral("the problems window alone as it opens, faults301.nsf, 1366x768"),
         problemsWindow, kLaptop},
        {QStringLiteral("problems-rules"),
         QStringLiteral("the problems window's Rules view, faults301.nsf with larkspur.rules, "
                        "1366x768"),
         problemsRules, kLaptop},
    };
    return scenes;
}
