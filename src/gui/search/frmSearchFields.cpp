#include "gui/search/frmSearchFields.h"

#include "core/common/TextUtil.h"
#include "gui/common/Controls.h"
#include "gui/common/CoreText.h"
#include "gui/common/WindowPositions.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kAny = QStringLiteral("(any)");

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
    layout->addWidget(lblStatus_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(cboMatch_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &frmSearchFields::updateMatch);
    connect(cboRecordType_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &frmSearchFields::fillFields);
    connect(cmdSearch_, &QPushButton::clicked, this, &frmSearchFields::searchRequested);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSearchFields::cancelClicked);
    updateMatch();
    WindowPositions::restore(this, objectName());
}

void frmSearchFields::setLayouts(std::shared_ptr<const qm::LayoutCatalogue> layouts) {
    layouts_ = std::move(layouts);
    const QString type = cboRecordType_->currentText();
    const QString field = cboField_->currentData().toString();
    {
        const QSignalBlocker blocker(cboRecordType_);
        cboRecordType_->clear();
        cboRecordType_->addItem(kAny);
        for (int t = 0; layouts_ && t < qm::kRecordTypeCount; ++t)
            if (layouts_->at(t).fieldCount() > 0)
                cboRecordType_->addItem(CoreText::fromFile(qm::kRecordTypes[std::size_t(t)]));
        cboRecordType_->setCurrentIndex(qMax(0, cboRecordType_->findText(type)));
    }
    fillFields();
    cboField_->setCurrentIndex(qMax(0, cboField_->findData(field)));
}

void frmSearchFields::fillFields() {
    cboField_->clear();
    cboField_->addItem(kAny);
    const qm::RecordLayout* layout =
        layouts_ ? layouts_->find(CoreText::toFileBytes(cboRecordType_->currentText())) : nullptr;
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
        query.recordType = cboRecordType_->currentText().toStdString();
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
    // A comparison in the form the command line takes it: "<100", "5..9".
    static const char* const kSigns[] = {"=", "<", ">"};
    const int match = cboMatch_->currentIndex();
    const std::string number = text.trimmed().toStdString();
    const std::string expression =
        match == NumberBetween ? number + ".." + txtSearchTo_->text().trimmed().toStdString()
                               : kSigns[match - NumberEqual] + number;
    query.mode = qm::SearchQuery::Mode::Number;
    return query.setComparison(expression, error);
}

void frmSearchFields::fill(Match match, const QString& text, const QString& to,
                           const QString& recordType, const QString& fieldId) {
    txtSearchFor_->setText(text);
    txtSearchTo_->setText(to);
    cboMatch_->setCurrentIndex(match);
    cboRecordType_->setCurrentIndex(qMax(0, cboRecordType_->findText(recordType)));
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
    if (running_)
        emit cancelRequested();
    else
        close();
}

void frmSearchFields::done(int result) {
    // Every way out passes here (Cancel, Escape, the close box): remember the place.
    WindowPositions::save(this, objectName());
    QDialog::done(result);
}
