#include "gui/search/frmSearchFields.h"

#include "core/common/TextUtil.h"
#include "core/layouts/RecordTypes.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/search/SearchPlan.h"
#include "gui/common/Controls.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/WindowPositions.h"
#include "gui/document/ClaimDocument.h"
#include "gui/search/ClearPlace.h"
#include "gui/search/SearchFeed.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <iterator>

namespace {

const QString kAny = QStringLiteral("(any)");

const char* const kHints[] = {
    "Finds the text anywhere in a value, case ignored.",
    "The whole value, case and all; the blanks around a value do not count.",
    "A pattern in RE2's syntax, such as ^SMITH or [0-9]{5}$.",
    "An amount (160, 160.00, $1,600.50), a date (2024-03-15, 03/15/2024) or a whole number; "
    ">160.00, <2024-01-01 and 100..200 work too. In any field, amounts compare with amounts, "
    "dates with dates, and whole numbers with whole numbers and with amounts as dollars.",
    "Below an amount (160.00, $1,600.50), a date (2024-03-15, 03/15/2024) or a whole number.",
    "Above an amount (160.00, $1,600.50), a date (2024-03-15, 03/15/2024) or a whole number.",
    "From the amount, date or whole number in Find what to the one in And, both included.",
};

// "Contains "SMITH" in CA0 04.0": what a search looks for, in words; a
// number search also says which fields it compared in ("Number > 150.00 in
// any field (amounts of money only)").
QString describe(const qm::SearchQuery& query, const qm::SearchPlan& plan,
                 const frmSearchFields& panel) {
    const QString typed = panel.searchText();
    QString what;
    switch (query.mode) {
    case qm::SearchQuery::Mode::Contains:
        what = QStringLiteral("Contains \"%1\"").arg(typed);
        break;
    case qm::SearchQuery::Mode::Exact:
        what = QStringLiteral("Exactly \"%1\"").arg(typed.trimmed());
        break;
    case qm::SearchQuery::Mode::Regex:
        what = QStringLiteral("Matches /%1/").arg(typed);
        break;
    case qm::SearchQuery::Mode::Number:
        what = QStringLiteral("Number ") + panel.comparisonText();
        break;
    }
    if (!query.field.empty())
        what += QStringLiteral(" in ") + CoreText::fromUtf8(query.field);
    else if (!query.recordType.empty())
        what += QStringLiteral(" in ") + CoreText::fromUtf8(query.recordType) +
                QStringLiteral(" records");
    else
        what += QStringLiteral(" in any field");
    if (query.mode == qm::SearchQuery::Mode::Number)
        what += QStringLiteral(" (%1%2)").arg(CoreText::fromUtf8(plan.comparedIn()),
                                              query.field.empty() ? QStringLiteral(" only")
                                                                  : QString());
    return what;
}

// Why a typed number does not read, in the panel's words.
std::string notANumber(const QString& typed, const char* box) {
    return QStringLiteral("\u201C%1\u201D in %2 is no amount, date or whole number: type an "
                          "amount as 160.00 or $1,600.50, a date as 2024-03-15 or 03/15/2024")
        .arg(typed, QLatin1String(box))
        .toStdString();
}

} // namespace

frmSearchFields::frmSearchFields(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmSearchFields"));
    setWindowTitle(QStringLiteral("Search Fields"));
    setModal(false);

    txtSearchFor_ = new QLineEdit(this);
    txtSearchFor_->setObjectName(QStringLiteral("txtSearchFor"));
    cboMatch_ = new QComboBox(this);
    cboMatch_->setObjectName(QStringLiteral("cboMatch"));
    cboMatch_->addItems({QStringLiteral("Contains (case ignored)"), QStringLiteral("Exact value"),
                         QStringLiteral("Regular expression"), QStringLiteral("Number ="),
                         QStringLiteral("Number <"), QStringLiteral("Number >"),
                         QStringLiteral("Number between")});
    txtSearchTo_ = new QLineEdit(this);
    txtSearchTo_->setObjectName(QStringLiteral("txtSearchTo"));
    cboRecordType_ = new QComboBox(this);
    cboRecordType_->setObjectName(QStringLiteral("cboRecordType"));
    cboField_ = new QComboBox(this);
    cboField_->setObjectName(QStringLiteral("cboField"));
    prgSearch_ = new QProgressBar(this);
    prgSearch_->setObjectName(QStringLiteral("prgSearch"));
    prgSearch_->setRange(0, 100);
    prgSearch_->hide();
    lblHint_ = Controls::label(this, QStringLiteral("lblHint"), QString());
    lblHint_->setTextFormat(Qt::PlainText);
    lblHint_->setWordWrap(true);
    lblHint_->setForegroundRole(QPalette::PlaceholderText);
    lblStatus_ = Controls::label(this, QStringLiteral("lblStatus"), QString());
    lblStatus_->setTextFormat(Qt::PlainText);
    lblStatus_->setWordWrap(true);
    cmdSearch_ = new QPushButton(QStringLiteral("&Search"), this);
    cmdSearch_->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const char* name, const QString& text, QWidget* control) {
        QLabel* label = Controls::label(this, QString::fromLatin1(name), text);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row, 1);
        return label;
    };
    addRow(0, "lblSearchFor", QStringLiteral("Find &what:"), txtSearchFor_);
    addRow(1, "lblMatch", QStringLiteral("&Match:"), cboMatch_);
    lblSearchTo_ = addRow(2, "lblSearchTo", QStringLiteral("&And:"), txtSearchTo_);
    addRow(3, "lblRecordType", QStringLiteral("&Record type:"), cboRecordType_);
    addRow(4, "lblField", QStringLiteral("F&ield:"), cboField_);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(prgSearch_, 1);
    buttons->addStretch();
    buttons->addWidget(cmdSearch_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblHint_);
    layout->addWidget(lblStatus_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(cboMatch_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &frmSearchFields::updateMatch);
    connect(cboRecordType_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &frmSearchFields::fillFields);
    connect(cmdSearch_, &QPushButton::clicked, this, &frmSearchFields::runSearch);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSearchFields::cancelClicked);
    updateMatch();
    WindowPositions::restore(this, objectName());
    fitHeight();
}

void frmSearchFields::setLayouts(std::shared_ptr<const qm::LayoutCatalogue> layouts) {
    layouts_ = std::move(layouts);
    const QString type = cboRecordType_->currentData().toString();
    const QString field = cboField_->currentData().toString();
    {
        const QSignalBlocker blocker(cboRecordType_);
        cboRecordType_->clear();
        cboRecordType_->addItem(kAny);
        // Each type by what it holds, too: "CA0 — Claim header".
        for (int t = 0; layouts_ && t < qm::kRecordTypeCount; ++t) {
            if (layouts_->at(t).fieldCount() == 0)
                continue;
            const QString code = CoreText::fromFile(qm::kRecordTypes[std::size_t(t)]);
            cboRecordType_->addItem(code + QStringLiteral(" \u2014 ") +
                                        CoreText::fromUtf8(qm::kRecordTypeNames[std::size_t(t)]),
                                    code);
        }
        cboRecordType_->setCurrentIndex(qMax(0, cboRecordType_->findData(type)));
    }
    fillFields();
    cboField_->setCurrentIndex(qMax(0, cboField_->findData(field)));
}

void frmSearchFields::fillFields() {
    cboField_->clear();
    cboField_->addItem(kAny);
    const qm::RecordLayout* layout =
        layouts_ && cboRecordType_->currentIndex() > 0
            ? layouts_->find(CoreText::toFileBytes(cboRecordType_->currentData().toString()))
            : nullptr;
    for (int i = 0; layout && i < layout->fieldCount(); ++i) {
        const qm::FieldDef& field = layout->field(i);
        cboField_->addItem(CoreText::fromFile(field.FieldId) + QLatin1Char(' ') +
                               CoreText::fromFile(qm::trimSpaces(field.FieldName)),
                           CoreText::fromFile(field.FieldId));
    }
    cboField_->setEnabled(layout != nullptr);
}

void frmSearchFields::updateMatch() {
    const bool between = cboMatch_->currentIndex() == NumberBetween;
    lblSearchTo_->setEnabled(between);
    txtSearchTo_->setEnabled(between);
    lblHint_->setText(hint());
    fitHeight();
}

void frmSearchFields::fitHeight() {
    layout()->activate();
    const int needed =
        std::max(layout()->totalHeightForWidth(width()), layout()->totalMinimumSize().height());
    if (needed > height())
        resize(width(), needed);
}

void frmSearchFields::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitHeight();
}

void frmSearchFields::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    standClear();
}

void frmSearchFields::standClear() {
    auto* area = parentWidget() ? parentWidget()->findChild<DocumentArea*>() : nullptr;
    if (!isVisible() || !area)
        return;
    QList<QRect> keep;
    for (const QString& name :
         {QStringLiteral("frmSearchResults"), QStringLiteral("frmClaimForm")}) {
        const DocumentWindow* window = area->findDocument(name);
        if (window && window->isVisible() && !window->isMinimized())
            keep.append(QRect(window->mapToGlobal(QPoint(0, 0)), window->size()));
    }
    const QWidget* main = parentWidget()->window();
    const QRect viewport(area->viewport()->mapToGlobal(QPoint(0, 0)), area->viewport()->size());
    move(ClearPlace::of(frameGeometry(), keep, main->frameGeometry(), viewport,
                        WindowPositions::availableArea(main)));
}

QString frmSearchFields::hint() const {
    const int match = cboMatch_->currentIndex();
    return match >= 0 && match < int(std::size(kHints)) ? QString::fromUtf8(kHints[match])
                                                        : QString();
}

QString frmSearchFields::comparisonText() const {
    const QString number = txtSearchFor_->text().trimmed();
    switch (cboMatch_->currentIndex()) {
    case NumberLess:
        return QStringLiteral("< ") + number;
    case NumberGreater:
        return QStringLiteral("> ") + number;
    case NumberBetween:
        return QStringLiteral("from %1 to %2").arg(number, txtSearchTo_->text().trimmed());
    default:
        break;
    }
    const bool ownComparison =
        number.startsWith(QLatin1Char('=')) || number.startsWith(QLatin1Char('<')) ||
        number.startsWith(QLatin1Char('>')) || number.contains(QStringLiteral(".."));
    return ownComparison ? number : QStringLiteral("= ") + number;
}

void frmSearchFields::focusSearchText() {
    txtSearchFor_->setFocus();
}

QString frmSearchFields::searchText() const {
    return txtSearchFor_->text();
}

bool frmSearchFields::query(qm::SearchQuery& query, std::string& error) const {
    query = qm::SearchQuery();
    const QString text = txtSearchFor_->text();
    query.text = text.toStdString();
    if (cboRecordType_->currentIndex() > 0)
        query.recordType = cboRecordType_->currentData().toString().toStdString();
    if (cboField_->currentIndex() > 0)
        query.field = query.recordType + ' ' + cboField_->currentData().toString().toStdString();
    switch (cboMatch_->currentIndex()) {
    case Contains:
        query.mode = qm::SearchQuery::Mode::Contains;
        return true;
    case Exact:
        query.mode = qm::SearchQuery::Mode::Exact;
        return true;
    case Regex:
        query.mode = qm::SearchQuery::Mode::Regex;
        return true;
    default:
        break;
    }
    // Each number is read here first, so that what does not read is said in
    // the panel's words; then the comparison as the command line takes it.
    const int match = cboMatch_->currentIndex();
    const QString number = text.trimmed();
    query.mode = qm::SearchQuery::Mode::Number;
    if (number.isEmpty()) {
        error = "type an amount, a date or a whole number to compare with";
        return false;
    }
    const bool sign = number.startsWith(QLatin1Char('=')) || number.startsWith(QLatin1Char('<')) ||
                      number.startsWith(QLatin1Char('>'));
    const bool ownComparison = sign || number.contains(QStringLiteral(".."));
    if (ownComparison && match != NumberEqual) {
        error = QStringLiteral("\u201C%1\u201D has a comparison of its own: choose Number = to "
                               "use it, or leave the sign out")
                    .arg(number)
                    .toStdString();
        return false;
    }
    QStringList numbers = number.mid(sign ? 1 : 0).split(QStringLiteral(".."));
    if (numbers.size() > 2 || (sign && numbers.size() > 1)) {
        error = QStringLiteral("\u201C%1\u201D is no comparison: a range has two ends, as in "
                               "100..200")
                    .arg(number)
                    .toStdString();
        return false;
    }
    if (match == NumberBetween)
        numbers.append(txtSearchTo_->text().trimmed());
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (!qm::NumberText::parse(numbers.at(i).toStdString())) {
            error =
                notANumber(numbers.at(i), match == NumberBetween && i == 1 ? "And" : "Find what");
            return false;
        }
    }
    QString expression = number;
    if (match == NumberBetween)
        expression = numbers.join(QStringLiteral(".."));
    else if (match == NumberLess || match == NumberGreater)
        expression = QLatin1Char(match == NumberLess ? '<' : '>') + number;
    // What is left to say (a range backwards) is in words already.
    return query.setComparison(expression.toStdString(), error);
}

void frmSearchFields::fill(Match match, const QString& text, const QString& to,
                           const QString& recordType, const QString& fieldId) {
    txtSearchFor_->setText(text);
    txtSearchTo_->setText(to);
    cboMatch_->setCurrentIndex(match);
    cboRecordType_->setCurrentIndex(qMax(0, cboRecordType_->findData(recordType)));
    cboField_->setCurrentIndex(qMax(0, cboField_->findData(fieldId)));
}

void frmSearchFields::setRunning(bool running) {
    running_ = running;
    cmdSearch_->setEnabled(!running);
    prgSearch_->setVisible(running);
    if (running)
        prgSearch_->setValue(0);
}

void frmSearchFields::setProgress(int percent) {
    prgSearch_->setValue(percent);
}

void frmSearchFields::setStatus(const QString& text, bool isError) {
    lblStatus_->setText(text);
    QPalette palette = this->palette();
    if (isError)
        palette.setColor(QPalette::WindowText, Qt::darkRed);
    lblStatus_->setPalette(palette);
}

QString frmSearchFields::status() const {
    return lblStatus_->text();
}

void frmSearchFields::cancelClicked() {
    if (running_ && feed_)
        feed_->cancelRun();
    else
        close();
}

void frmSearchFields::setDocument(ClaimDocument* document) {
    if (document_)
        document_->disconnect(this);
    document_ = document;
    follow(document ? SearchFeed::find(*document) : nullptr);
    if (!document)
        return;
    setLayouts(document->file().layouts());
    connect(document, &ClaimDocument::closing, this, [this] { setDocument(nullptr); });
    // Once the claim form a result opens is shown.
    connect(document, &ClaimDocument::claimClicked, this,
            [this] { QTimer::singleShot(0, this, &frmSearchFields::standClear); });
}

void frmSearchFields::runSearch() {
    if (!document_) {
        setStatus(QStringLiteral("No claim file is open."), true);
        return;
    }
    const std::shared_ptr<const qm::LayoutCatalogue>& layouts = document_->file().layouts();
    // The map may have changed with the file since the panel was filled.
    if (layouts_ != layouts)
        setLayouts(layouts);
    qm::SearchQuery searched;
    qm::SearchPlan plan;
    std::string error;
    const bool prepared = query(searched, error) && plan.prepare(searched, layouts, error);
    // A map without fields: the viewer says so rather than search nothing.
    if (prepared && plan.empty())
        error = "no fields in the map of this file";
    if (!prepared || plan.empty()) {
        QString message = CoreText::fromUtf8(error);
        message[0] = message[0].toUpper();
        setStatus(message + QLatin1Char('.'), true);
        return;
    }
    const QString compared =
        searched.mode == qm::SearchQuery::Mode::Number && searched.field.empty()
            ? QStringLiteral(" Only fields of %1 were compared.")
                  .arg(CoreText::fromUtf8(plan.comparedIn()))
            : QString();
    SearchFeed& feed = SearchFeed::of(*document_);
    follow(&feed);
    feed.search(plan, describe(searched, plan, *this), compared);
}

void frmSearchFields::follow(SearchFeed* feed) {
    if (feed_ != feed) {
        if (feed_)
            feed_->disconnect(this);
        feed_ = feed;
        if (feed) {
            for (auto signal : {&ResultsFeed::runStarted, &ResultsFeed::runEnded})
                connect(feed, signal, this, [this] {
                    setRunning(feed_ && feed_->isRunning());
                    showFeed();
                    // Once the results window is shown.
                    QTimer::singleShot(0, this, &frmSearchFields::standClear);
                });
            connect(feed, &ResultsFeed::runProgressed, this, [this](int percent) {
                setProgress(percent);
                showFeed();
            });
        }
    }
    setRunning(feed && feed->isRunning());
}

void frmSearchFields::showFeed() {
    if (feed_)
        setStatus(feed_->statusText());
}

void frmSearchFields::done(int result) {
    // Every way out passes here (Cancel, Escape, the close box): remember the place.
    WindowPositions::save(this, objectName());
    QDialog::done(result);
}
