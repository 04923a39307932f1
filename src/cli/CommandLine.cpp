#include "CommandLine.h"

#include "FilterHelp.h"
#include "RulesHelp.h"
#include "core/layouts/MapSearchPath.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <functional>

namespace qm::cli {

namespace {

const QLatin1String kHelpBody(
    "Dissects an NSF claim file with the same engine as the Quillmark viewer.\n"
    "\n"
    "Commands:\n"
    "  tree FILE             The file tree: file headers (AA0), batches (BA0) and\n"
    "                        claims (CA0) in file order, each with its node key\n"
    "                        (record type and 1-based byte position, e.g. CA0645)\n"
    "                        and its text, then the batch and claim counts. With\n"
    "                        --claims, the claims only, their patient's name and\n"
    "                        control number in columns.\n"
    "                          quillmark-cli tree --claims claims.nsf\n"
    "  list FILE             The claim list: one row a claim in tree order with\n"
    "                        its key, patient, control number, provider (its\n"
    "                        batch), first date of service (the earliest FA0\n"
    "                        05.0), service lines (FA0 records), stated total\n"
    "                        (XA0 12.0), lines' total (the FA0 13.0 added up)\n"
    "                        and problems (its rows of check), from the same one\n"
    "                        pass as check; then the count. --filter EXPR lists\n"
    "                        only the claims it chooses (see Filters below).\n"
    "                          quillmark-cli list claims.nsf --filter 'problem'\n"
    "  claim FILE KEY...     Clicks the file tree nodes KEY... in order, as the\n"
    "                        viewer does, in one session: the record store carries\n"
    "                        over from one click to the next. For each click prints\n"
    "                        the claim form's record tree and every record's fields\n"
    "                        (number, name, value as stored, as a person reads it\n"
    "                        where the map's format file says so, a '*' for a value\n"
    "                        that failed its check); for a claim also the trailer\n"
    "                        totals verdict. A KEY may be typed in any case\n"
    "                        (ca04831); --pcn PCN clicks, after the keys, every\n"
    "                        claim whose patient control number is PCN (case\n"
    "                        ignored), and then no KEY is needed.\n"
    "                          quillmark-cli claim claims.nsf CA04831\n"
    "                          quillmark-cli claim claims.nsf --pcn GM000000002\n"
    "  check FILE            Checks the whole file in one pass. Every claim gets\n"
    "                        exactly the verdict clicking it gives: its totals\n"
    "                        against its XA0, the values that fail their checks\n"
    "                        (the headers' and trailers' it shows among them),\n"
    "                        and a problem when it has no XA0 of its own. Every\n"
    "                        batch trailer (YA0) is balanced against its batch\n"
    "                        and the file trailer (ZA0) against the whole file,\n"
    "                        and the file's structure is checked (see below).\n"
    "                        Prints, in file order, each batch, each claim with\n"
    "                        its totals verdict, each trailer's verdict, and under\n"
    "                        each its problems, a line each (an invalid value with\n"
    "                        its record, field and value; a total with what the\n"
    "                        trailer states and what the lines add up to, money as\n"
    "                        money); then a summary.\n"
    "                          quillmark-cli check --problems-only claims.nsf\n"
    "  search FILE TEXT      Every claim with a field whose value matches TEXT,\n"
    "                        among the records a click on the claim shows: its\n"
    "                        own, and the file header, batch header, BA1 and\n"
    "                        trailers shown with it. Prints per claim in tree\n"
    "                        order its key and text and each matching field\n"
    "                        (node, number, name, value); then a summary. A value\n"
    "                        matches when it contains TEXT, case ignored as the\n"
    "                        viewer's Find ignores it, unless --exact, --regex or\n"
    "                        --number say otherwise. Values are matched without\n"
    "                        the blanks around them (a field's padding).\n"
    "                          quillmark-cli search claims.nsf --number '>160.00'\n"
    "  summary FILE          The file at a glance, from the same one pass as\n"
    "                        check: batches, claims, service lines, records, claim\n"
    "                        charges (the claims' XA0 12.0) beside line charges\n"
    "                        (their FA0 13.0, as the trailers add them up), claims\n"
    "                        without XA0, and problems; each batch (ending where\n"
    "                        check ends it) and each provider with the same; claims\n"
    "                        by month of their first valid date of service (the\n"
    "                        earliest FA0 05.0 on the calendar); claims by charges;\n"
    "                        problems by kind; the top ten procedure codes (FA0\n"
    "                        09.0) by service lines and by charges. A sum past 64\n"
    "                        bits is \"too large to add up\".\n"
    "                          quillmark-cli summary claims.nsf\n"
    "  diff A B              Compares two claim files, each read with the map of\n"
    "                        its own version: the claims, batches and file\n"
    "                        headers only one of them has (removed: only in A,\n"
    "                        added: only in B) and the fields that differ in\n"
    "                        those both have (changed), and claims found under\n"
    "                        another batch (moved). Claims pair by patient\n"
    "                        control number (CA0 03.0) with their batch's\n"
    "                        provider (BA0 02.0), batches by provider, file\n"
    "                        headers in order; a key that comes twice pairs in\n"
    "                        the order it comes. A claim compares its own\n"
    "                        records (CA0 to XA0, as a click reads them), a\n"
    "                        batch its BA0, BA1 and YA0, a file header its AA0\n"
    "                        and ZA0: records by type and occurrence (FA0-2),\n"
    "                        fields by number where both maps have them, on\n"
    "                        their stored values; a record only one side has\n"
    "                        differs in every field. Prints a line per\n"
    "                        difference and under it each field that differs\n"
    "                        (A's value -> B's), then a summary. Both files are\n"
    "                        read once, at the same time, two threads.\n"
    "                          quillmark-cli diff old.nsf new.nsf\n"
    "\n"
    "Options:\n"
    "  --maps DIR            Folder of the map files nsf0200.map and nsf0301.map,\n"
    "                        the only one looked in: a DIR that is no folder is\n"
    "                        a usage error, a map missing from it an error (exit\n"
    "                        2 both). Without --maps: $QUILLMARK_MAPS, the\n"
    "                        current directory, the installed maps\n"
    "                        (<prefix>/share/quillmark/maps) and, for a program\n"
    "                        run from its build folder, the source tree's maps/.\n"
    "  --jobs N              check, search, summary, list: read the file with N\n"
    "                        threads (default: one per processor core); the\n"
    "                        output is the same.\n"
    "  --problems-only       check: print only the claims, batches and file rows\n"
    "                        that have a problem (JSON: only such claims), then\n"
    "                        the summary.\n"
    "  --max-hits N          search: stop after the claim whose fields bring the\n"
    "                        matches to N (default: no limit). The summary says\n"
    "                        so (JSON: \"max_hits_reached\"). Matches go out as\n"
    "                        they are found, so memory stays the same either way.\n"
    "  --exact               search: the whole value is TEXT, case and all (blanks\n"
    "                        around TEXT are dropped; an empty TEXT finds blank\n"
    "                        values).\n"
    "  --regex               search: the value holds a match of the regular\n"
    "                        expression TEXT, in RE2's syntax, found in time\n"
    "                        linear in the value. Among it: a literal character;\n"
    "                        . any character; [abc] [a-z] [^...] classes; \\d \\w\n"
    "                        \\s digits, word characters (ASCII letters, digits,\n"
    "                        _), blanks, and \\D \\W \\S the others; \\t \\n \\r;\n"
    "                        \\ before a sign takes it literally; ^ $ the value's\n"
    "                        start and end; (...) (?:...) groups; a|b\n"
    "                        alternatives; * + ? {n} {n,} {n,m} repetition (up\n"
    "                        to 1000), lazy with a ? after it; a leading (?i)\n"
    "                        ignores case. A count after a repetition (a+{2}) is\n"
    "                        refused. There are no back-references and no\n"
    "                        look-around; \\C is refused. Patterns are up to 4000\n"
    "                        characters, and at most 8 MB once compiled.\n"
    "  --number              search: TEXT compares numbers: =N, <N, >N, N..M\n"
    "                        (between, both ends included) or N (equal), where N\n"
    "                        is a whole number (160), an amount (160, 160.00,\n"
    "                        $1,600.50) or a date (2024-03-15, 03/15/2024). A\n"
    "                        money field compares in cents (160 is $160.00), a\n"
    "                        date field as CCYYMMDD, other number (N) fields as\n"
    "                        whole numbers. Without --field, only fields of the\n"
    "                        kind typed take part: an amount (with a $, a comma\n"
    "                        or a decimal point) money fields, a date date\n"
    "                        fields, a whole number other number fields; standard\n"
    "                        error says which. A value that is no whole number\n"
    "                        never matches. Put -- before a TEXT that begins\n"
    "                        with -.\n"
    "  --pcn PCN             claim: also every claim with this patient control\n"
    "                        number (case ignored).\n"
    "  --claims              tree: the claims only, with the patient's name and\n"
    "                        control number in columns.\n"
    "  --filter EXPR         list, tree, check: only the claims EXPR chooses (see\n"
    "                        Filters below): tree shows them under their batches\n"
    "                        and the file headers, check them with their problems\n"
    "                        beside the file's and the batches' own, its summary\n"
    "                        counting what is shown. An expression that cannot be\n"
    "                        read exits 2, naming the column and what was\n"
    "                        expected there.\n"
    "  --csv                 list: comma-separated values with a header row,\n"
    "                        amounts as plain numbers (1600.50), dates as\n"
    "                        2003-03-01; a cell a spreadsheet would run as a\n"
    "                        formula is written after an apostrophe.\n"
    "  --type RT             search: only records of type RT (e.g. FA0).\n"
    "  --match pcn|position  diff: pair claims by control number and provider\n"
    "                        (pcn, the default) or by their order in the file\n"
    "                        alone (position; batches too).\n"
    "  --field ID|NAME       search: only this field: its record type and number\n"
    "                        (\"CA0 05.0\"), its number alone (05.0: with --type,\n"
    "                        else in every type that has it) or its name, case\n"
    "                        ignored, with or without the type (\"CA0 LAST NAME\").\n"
    "  --json                Print JSON instead of text:\n"
    "                        tree:  {\"file\", \"version\", \"nodes\": [{\"index\" (1-based),\n"
    "                               \"key\", \"text\", \"parent\" (a key or null)}],\n"
    "                               \"batches\", \"claims\"}; with --claims the\n"
    "                               claims only, each also with \"patient\" and\n"
    "                               \"control_number\"; with --filter also\n"
    "                               \"claims_shown\" (index stays the node's own)\n"
    "                        list:  {\"claims\": [{\"key\", \"batch\" (a key or null),\n"
    "                               \"patient\", \"control_number\", \"provider\",\n"
    "                               \"first_service\" (2003-03-01 or null), \"lines\",\n"
    "                               \"stated_total\" (null: no XA0 12.0 number),\n"
    "                               \"lines_total\", \"problems\"}], \"filter\" (or\n"
    "                               null), \"summary\": {\"claims\",\n"
    "                               \"claims_in_file\"}}; amounts as the fields\n"
    "                               store them (money in cents)\n"
    "                        claim: [{\"key\", \"rt\", \"totals_checked\", \"totals_ok\",\n"
    "                               \"totals_state\", \"xa0_present\", \"unreadable\",\n"
    "                               \"comparisons\":\n"
    "                               [{\"id\", \"name\", \"found\", \"expected\", \"match\"}],\n"
    "                               \"messages\": [{\"text\", \"title\", \"icon\"}],\n"
    "                               \"nodes\": [{\"key\", \"parent\"}],\n"
    "                               \"records\": {NODE_KEY: {\"type\", \"occurrence\",\n"
    "                               \"line\", \"line_cut\", \"fields\": [{\"slot\", \"id\",\n"
    "                               \"name\", \"value\", \"shown\" (as a person\n"
    "                               reads it, or null), \"valid\", \"codes\", \"start\",\n"
    "                               \"end\", \"length\"}]}}}]\n"
    "                        check: {\"claims\": [{\"key\", \"text\", \"totals_ok\",\n"
    "                               \"totals_state\", \"xa0_present\", \"unreadable\",\n"
    "                               \"mismatched\": [ids], \"mismatches\": [{\"id\",\n"
    "                               \"name\", \"found\", \"expected\"}], \"invalid\":\n"
    "                               [{\"node\", \"id\", \"name\", \"value\"}]}],\n"
    "                               \"problems\": [{\"kind\", \"where\" (file, batch\n"
    "                               or claim), \"batch\", \"claim\" (keys or null),\n"
    "                               \"record\" (a node key or null), \"position\",\n"
    "                               \"line\", \"id\", \"name\", \"found\", \"expected\",\n"
    "                               \"text\"}],\n"
    "                               \"summary\": {\"claims\", \"totals_failed\",\n"
    "                               \"with_invalid_fields\", \"not_checked\",\n"
    "                               \"without_xa0\", \"claims_with_problems\",\n"
    "                               \"batches\", \"batches_with_problems\",\n"
    "                               \"file_problems\", \"problems\",\n"
    "                               \"not_read\", \"file_changed\"; with --filter also\n"
    "                               \"filter\" and \"claims_in_file\"}}\n"
    "                        search: {\"claims\": [{\"key\", \"text\", \"fields\":\n"
    "                               [{\"node\", \"id\", \"name\", \"value\",\n"
    "                               \"match_start\", \"match_length\"}]}],\n"
    "                               \"summary\": {\"claims\", \"claims_matched\",\n"
    "                               \"fields_matched\", \"max_hits_reached\",\n"
    "                               \"not_read\", \"file_changed\"}}\n"
    "                        summary: {\"batches\", \"claims\", \"service_lines\",\n"
    "                               \"records\", \"total_charges\",\n"
    "                               \"total_line_charges\", \"claims_without_xa0\",\n"
    "                               \"problems\", \"problems_by_kind\": {KIND:\n"
    "                               count}, \"per_batch\": [{\"key\", \"text\",\n"
    "                               \"claims\", \"service_lines\", \"records\",\n"
    "                               \"charges\", \"line_charges\",\n"
    "                               \"claims_without_xa0\", \"problems\"}],\n"
    "                               \"providers\": [{\"text\", \"batches\",\n"
    "                               \"claims\", \"charges\", \"line_charges\",\n"
    "                               \"claims_without_xa0\"}], \"other_providers\"\n"
    "                               (the same without \"text\", or null),\n"
    "                               \"claims_by_month\": [{\"month\", \"claims\"}],\n"
    "                               \"claims_without_date\", \"claim_charges\":\n"
    "                               [{\"from\", \"below\", \"claims\"}],\n"
    "                               \"claims_without_charges\",\n"
    "                               \"top_procedures_by_lines\",\n"
    "                               \"top_procedures_by_charges\": [{\"code\",\n"
    "                               \"service_lines\", \"charges\"}],\n"
    "                               \"procedure_codes\", \"more_procedure_codes\",\n"
    "                               \"top_procedures_approximate\"}; amounts in\n"
    "                               cents, null when too large to add up\n"
    "                        diff:  {\"differences\": [{\"kind\" (added, removed,\n"
    "                               changed, moved), \"unit\" (file_header, batch,\n"
    "                               claim), \"a\", \"b\" ({\"key\", \"batch\",\n"
    "                               \"text\"} or null), \"name\", \"number\",\n"
    "                               \"fields\": [{\"record\", \"id\", \"name\",\n"
    "                               \"other_name\", \"a\", \"b\" (null: no such\n"
    "                               record)}]}], \"a\", \"b\": {\"file\", \"version\"},\n"
    "                               \"match\", \"summary\": {\"claims\", \"batches\",\n"
    "                               \"file_headers\": {\"a\", \"b\", \"added\",\n"
    "                               \"removed\", \"changed\", \"moved\"},\n"
    "                               \"differences\", \"changed_a\", \"changed_b\"}}\n"
    "  -h, --help            Show this help.\n"
    "  -v, --version         Show the version.\n"
    "\n"
    "Values are printed as stored, untrimmed in JSON; in text, control characters\n"
    "(and in code meanings the marks that turn the text's direction) are shown\n"
    "escaped (\\n, \\x1b, \\u202e). File bytes are read as Windows-1252. A\n"
    "totals state is ok, do_not_compute, no_trailer (the claim had no XA0 of its\n"
    "own: nothing compared, whatever the map), could_not_check (the map lacks XA0\n"
    "fields the check compares, or their totals are too large to add up in 64\n"
    "bits) or not_a_claim; totals_ok is true only for ok: the totals were\n"
    "compared and agree. In a comparison, a mismatch and a problem row, found and\n"
    "expected are strings (or null): found is the XA0's (or trailer's) value as\n"
    "stored, blanks and all, or a number such as a line's length in decimal, and\n"
    "expected the count or sum the records give, in decimal. In check, XA0\n"
    "fields whose totals did not match are listed under the totals verdict, not\n"
    "again among the invalid fields. In search, text shows values without the\n"
    "blanks around them; JSON gives them whole, with the matched part's first\n"
    "character (counted from 0) and length. In diff, text shows a value in\n"
    "quotes without the blanks at its end (unless they are all that differs);\n"
    "JSON gives it whole.\n"
    "\n"
    "In summary, charges are what the claims state (each claim's own XA0 12.0)\n"
    "and line_charges what their service lines add up to (FA0 13.0, every FA0\n"
    "line, as the YA0 and ZA0 state it); claims_without_xa0 have no XA0 of their\n"
    "own. A batch runs from its BA0 through its YA0, or to the next BA0 or the\n"
    "file's first ZA0, as in check. per_batch lists every batch in file order,\n"
    "problems counting check's rows of the batch and its claims. providers are\n"
    "the batches' providers, the most charges first; past the first 100,000,\n"
    "their batches are added up in other_providers. claims_by_month counts each\n"
    "claim under the month of its first valid date of service;\n"
    "claims_without_date have none. claim_charges bins the claims by XA0 12.0\n"
    "(from inclusive, below exclusive, in cents); claims_without_charges have no\n"
    "XA0 or no number there. procedure_codes counts distinct codes up to\n"
    "100,000 (more_procedure_codes: there were more; the top lists are then\n"
    "counted again exactly in a second reading of the file);\n"
    "top_procedures_approximate: a code not listed could have as many as the\n"
    "last one listed.\n"
    "\n"
    "check's problems, in file order, one row each (the JSON's \"problems\" lists\n"
    "exactly these, worded as the viewer's Problems window words them):\n"
    "  - a claim's: totals that do not compute, a value that fails its check,\n"
    "    no XA0 of its own, XA0 fields the map lacks, that do not lie within\n"
    "    the line or whose totals are too large to add up (could not be\n"
    "    checked), could not be read;\n"
    "  - a batch's: YA0 08.0 service lines = FA0 records, 09.0 record count,\n"
    "    10.0 claims = CA0 records, 11.0 total charges = the FA0 13.0 line\n"
    "    charges, all counted from the batch's BA0 to its YA0; no YA0 before the\n"
    "    next BA0, the ZA0 or the end of the file;\n"
    "  - the file's: ZA0 05.0, 06.0, 07.0 and 09.0 the same over the whole file,\n"
    "    08.0 batches = BA0 records; a YA0 with no batch open, a claim outside a\n"
    "    batch, a second AA0, a record of none of the 32 types, a line too short\n"
    "    to be a record (the first 1,000, then how many more), a last line cut\n"
    "    short, records after the ZA0, no ZA0, lines that end in LF only (then\n"
    "    that is the only row), and a file that changed while it was read.\n"
    "Trailer counts and totals are compared as whole numbers, added up in 64\n"
    "bits (charges too large for them could not be checked); a blank field is\n"
    "not compared, one that is no whole number does not balance. A record count\n"
    "balances by either reading: the claims' own records (types C to H, as XA0\n"
    "counts them; \"expected\" shows this one) or every record from the BA0 (the\n"
    "file's start) through the trailer. Fields are found by their number in the\n"
    "map, the first definition where it has two.\n"
    "\n"
    "Exit status: 0 success (check: every claim, every batch and the file\n"
    "passed, or only warnings and notes of rules were found; search: a field\n"
    "matched; list: a claim was listed; diff: the files hold the same claims,\n"
    "batches and file headers with the same values), 1 check found an error\n"
    "(with --strict also a warning or note; search: nothing matched; list: no\n"
    "claim was listed; diff: the files differ), 2 usage error, a filter or\n"
    "rules file that cannot be read, unreadable or unrecognised file, map failure,\n"
    "unknown node key, a record type or field the file's map does not have, a\n"
    "file that changed while diff read it, or output that could not be written\n"
    "(the reason goes to standard error), 3 check found no error but something\n"
    "could not be checked or read, or the file changed while it was read (also\n"
    "summary and list: their figures are then of neither file; and search, whose\n"
    "matches may then be in neither file).\n");

} // namespace

QString CommandLine::usage() {
    return QStringLiteral(
        "Usage: quillmark-cli [--maps DIR] [--json] tree FILE [--claims] [--filter EXPR]\n"
        "       quillmark-cli [--maps DIR] [--json|--csv] [--jobs N] list FILE\n"
        "                     [--filter EXPR]\n"
        "       quillmark-cli [--maps DIR] [--json] claim FILE KEY [KEY...]\n"
        "       quillmark-cli [--maps DIR] [--json] claim FILE [KEY...] --pcn PCN\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] check FILE\n"
        "                     [--problems-only] [--filter EXPR] [--strict]\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] search FILE TEXT\n"
        "                     [--field ID|NAME] [--type RT] [--exact|--regex|--number]\n"
        "                     [--max-hits N]\n"
        "       quillmark-cli [--maps DIR] [--json] [--jobs N] summary FILE\n"
        "       quillmark-cli [--maps DIR] [--json] diff A B [--match pcn|position]\n"
        "       (check, summary, list, tree: [--rules FILE]... [--no-integrity])\n");
}

QString CommandLine::helpText() {
    return usage() + QLatin1Char('\n') + kHelpBody + QLatin1Char('\n') +
           QString::fromUtf8(FilterHelp::text()) + QLatin1Char('\n') +
           QString::fromUtf8(RulesHelp::text());
}

CommandLine::Outcome CommandLine::parse(const QStringList& arguments,
                                        const std::vector<std::string>& rawArguments) {
    // The bytes behind a decoded argument: the first unused one that decodes to it.
    std::vector<bool> used(std::size_t(arguments.size()), false);
    auto raw = [&](const QString& value) {
        for (qsizetype i = 1; i < arguments.size(); ++i) {
            if (!used[std::size_t(i)] && arguments.at(i) == value &&
                std::size_t(i) < rawArguments.size()) {
                used[std::size_t(i)] = true;
                return rawArguments[std::size_t(i)];
            }
        }
        return QFile::encodeName(value).toStdString();
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption mapsOption(QStringLiteral("maps"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption jobsOption(QStringLiteral("jobs"), QString(), QStringLiteral("N"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption fieldOption(QStringLiteral("field"), QString(), QStringLiteral("ID"));
    const QCommandLineOption typeOption(QStringLiteral("type"), QString(), QStringLiteral("RT"));
    const QCommandLineOption exactOption(QStringLiteral("exact"));
    const QCommandLineOption regexOption(QStringLiteral("regex"));
    const QCommandLineOption numberOption(QStringLiteral("number"));
    const QCommandLineOption problemsOnlyOption(QStringLiteral("problems-only"));
    const QCommandLineOption maxHitsOption(QStringLiteral("max-hits"), QString(),
                                           QStringLiteral("N"));
    const QCommandLineOption pcnOption(QStringLiteral("pcn"), QString(), QStringLiteral("PCN"));
    const QCommandLineOption claimsOption(QStringLiteral("claims"));
    const QCommandLineOption matchOption(QStringLiteral("match"), QString(), QStringLiteral("HOW"));
    const QCommandLineOption filterOption(QStringLiteral("filter"), QString(),
                                          QStringLiteral("EXPR"));
    const QCommandLineOption csvOption(QStringLiteral("csv"));
    parser.addOptions({mapsOption, jsonOption, jobsOption, helpOption, versionOption, fieldOption,
                       typeOption, exactOption, regexOption, numberOption, problemsOnlyOption,
                       maxHitsOption, pcnOption, claimsOption, matchOption, filterOption,
                       csvOption});
    parser.addOptions(RulesOption::options());

    if (!parser.parse(arguments)) {
        error_ = parser.errorText();
        return Outcome::UsageError;
    }

    json_ = parser.isSet(jsonOption);
    if (parser.isSet(mapsOption)) {
        if (parser.value(mapsOption).isEmpty()) {
            error_ = QStringLiteral("--maps needs a folder");
            return Outcome::UsageError;
        }
        mapsDir_ = raw(parser.value(mapsOption));
    }
    // --version names the map folder in use, so it reads --maps first.
    if (parser.isSet(helpOption))
        return Outcome::ShowHelp;
    if (parser.isSet(versionOption))
        return Outcome::ShowVersion;
    // A folder that is not there would leave the maps to be found elsewhere.
    if (!mapsDir_.empty()) {
        const std::string problem = MapSearchPath::folderProblem(mapsDir_);
        if (!problem.empty()) {
            error_ = QStringLiteral("--maps %1: %2")
                         .arg(parser.value(mapsOption), QString::fromStdString(problem));
            return Outcome::UsageError;
        }
    }
    if (parser.isSet(jobsOption)) {
        bool ok = false;
        jobs_ = parser.value(jobsOption).toInt(&ok);
        if (!ok || jobs_ < 1 || jobs_ > 256) {
            error_ = QStringLiteral("--jobs needs a number from 1 to 256");
            return Outcome::UsageError;
        }
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no command given");
        return Outcome::UsageError;
    }
    const QString name = positional.takeFirst();
    const std::pair<const char*, Command> commands[] = {
        {"tree", Command::Tree},     {"claim", Command::Claim},     {"check", Command::Check},
        {"search", Command::Search}, {"summary", Command::Summary}, {"diff", Command::Diff},
        {"list", Command::List}};
    const auto named =
        std::find_if(std::begin(commands), std::end(commands),
                     [&name](const auto& c) { return name == QLatin1String(c.first); });
    if (named == std::end(commands)) {
        error_ = QStringLiteral("unknown command '%1'").arg(name);
        return Outcome::UsageError;
    }
    command_ = named->second;
    if (positional.isEmpty()) {
        error_ = QStringLiteral("no FILE given");
        return Outcome::UsageError;
    }
    file_ = raw(positional.takeFirst());
    if (command_ == Command::Diff) {
        if (positional.isEmpty()) {
            error_ = QStringLiteral("diff needs two files, A and B");
            return Outcome::UsageError;
        }
        otherFile_ = raw(positional.takeFirst());
    }
    return parseCommandOptions(parser, positional, raw);
}

CommandLine::Outcome
CommandLine::parseCommandOptions(const QCommandLineParser& parser, QStringList positional,
                                 const std::function<std::string(const QString&)>& raw) {
    auto only = [this](const char* option, const char* commands) {
        error_ = QStringLiteral("--%1 is for %2 only")
                     .arg(QLatin1String(option), QLatin1String(commands));
        return Outcome::UsageError;
    };
    if (parser.isSet(QStringLiteral("match"))) {
        const QString how = parser.value(QStringLiteral("match"));
        if (command_ != Command::Diff)
            return only("match", "diff");
        if (how != QLatin1String("pcn") && how != QLatin1String("position")) {
            error_ = QStringLiteral("--match needs pcn or position");
            return Outcome::UsageError;
        }
        match_ = how == QLatin1String("position") ? FileComparison::Match::Position
                                                  : FileComparison::Match::ControlNumber;
    }
    problemsOnly_ = parser.isSet(QStringLiteral("problems-only"));
    if (problemsOnly_ && command_ != Command::Check)
        return only("problems-only", "check");
    if (parser.isSet(QStringLiteral("pcn"))) {
        if (command_ != Command::Claim)
            return only("pcn", "claim");
        pcn_ = raw(parser.value(QStringLiteral("pcn")));
        if (pcn_.find_first_not_of(' ') == std::string::npos) {
            error_ = QStringLiteral("--pcn needs a patient control number");
            return Outcome::UsageError;
        }
    }
    claimsOnly_ = parser.isSet(QStringLiteral("claims"));
    if (claimsOnly_ && command_ != Command::Tree)
        return only("claims", "tree");
    csv_ = parser.isSet(QStringLiteral("csv"));
    if (csv_ && command_ != Command::List)
        return only("csv", "list");
    if (csv_ && json_) {
        error_ = QStringLiteral("--json and --csv exclude each other");
        return Outcome::UsageError;
    }
    if (parser.isSet(QStringLiteral("filter"))) {
        if (command_ != Command::List && command_ != Command::Tree && command_ != Command::Check)
            return only("filter", "list, tree and check");
        // The expression as typed, in the bytes it came in.
        filter_ = raw(parser.value(QStringLiteral("filter")));
        if (filter_.find_first_not_of(" \t") == std::string::npos) {
            error_ = QStringLiteral("--filter needs an expression");
            return Outcome::UsageError;
        }
    }
    const bool weighsClaims = command_ == Command::Check || command_ == Command::Summary ||
                              command_ == Command::List || command_ == Command::Tree;
    if (!rules_.parse(parser, weighsClaims, command_ == Command::Check, raw, error_))
        return Outcome::UsageError;
    if (command_ == Command::Search)
        return parseSearch(parser, positional, raw);
    for (const char* option : {"field", "type", "exact", "regex", "number", "max-hits"})
        if (parser.isSet(QLatin1String(option)))
            return only(option, "search");
    // A key names a record type in capitals and a position: "ca04831" is CA04831.
    for (const QString& key : std::as_const(positional))
        keys_.append(command_ == Command::Claim ? key.toUpper() : key);
    if (command_ == Command::Claim && keys_.isEmpty() && pcn_.empty()) {
        error_ = QStringLiteral("claim needs at least one node KEY, or --pcn PCN");
        return Outcome::UsageError;
    }
    if (command_ != Command::Claim && !keys_.isEmpty()) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(keys_.first());
        return Outcome::UsageError;
    }
    return Outcome::Run;
}

CommandLine::Outcome
CommandLine::parseSearch(const QCommandLineParser& parser, QStringList positional,
                         const std::function<std::string(const QString&)>& raw) {
    if (positional.isEmpty()) {
        error_ = QStringLiteral("search needs a TEXT to look for");
        return Outcome::UsageError;
    }
    if (positional.size() > 1) {
        error_ = QStringLiteral("unexpected argument '%1'").arg(positional.at(1));
        return Outcome::UsageError;
    }
    const bool exact = parser.isSet(QStringLiteral("exact"));
    const bool regex = parser.isSet(QStringLiteral("regex"));
    const bool number = parser.isSet(QStringLiteral("number"));
    if (int(exact) + int(regex) + int(number) > 1) {
        error_ = QStringLiteral("--exact, --regex and --number exclude each other");
        return Outcome::UsageError;
    }
    // The text as typed, in the bytes it came in: it need not be UTF-8.
    query_.text = raw(positional.first());
    query_.mode = exact    ? SearchQuery::Mode::Exact
                  : regex  ? SearchQuery::Mode::Regex
                  : number ? SearchQuery::Mode::Number
                           : SearchQuery::Mode::Contains;
    if (parser.isSet(QStringLiteral("max-hits"))) {
        bool ok = false;
        maxHits_ = parser.value(QStringLiteral("max-hits")).toLongLong(&ok);
        if (!ok || maxHits_ < 1) {
            error_ = QStringLiteral("--max-hits needs a whole number of 1 or more");
            return Outcome::UsageError;
        }
    }
    query_.field = parser.value(QStringLiteral("field")).toStdString();
    query_.recordType = parser.value(QStringLiteral("type")).toStdString();
    std::string error;
    if (number && !query_.setComparison(query_.text, error)) {
        error_ = QString::fromStdString(error);
        return Outcome::UsageError;
    }
    return Outcome::Run;
}

} // namespace qm::cli
