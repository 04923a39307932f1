#include "gui/rules/frmRules.h"

#include "core/rules/RuleSet.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"
#include "gui/common/FileDialog.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemText.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A file's row keeps its index in the choice's files; the integrity edits -1.
constexpr int kFileRole = Qt::UserRole;
constexpr int kIntegrity = -1;

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

} // namespace

frmRules::frmRules(QWidget* parent)
    : QDialog(parent)
    , choice_(RulesChoice::remembered()) {
    setObjectName(QStringLiteral("frmRules"));
    setWindowTitle(QStringLiteral("Rules"));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("treeRules"));
    tree_->setHeaderLabels({QStringLiteral("File or Rule"), QStringLiteral("Severity"),
                            QStringLiteral("Rows"), QStringLiteral("Claims")});
    // The counts take what their numbers need; the names take the rest.
    tree_->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    for (int column : {Severity, Rows, Claims})
        tree_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    errors_ = new QLabel(this);
    errors_->setObjectName(QStringLiteral("lblLoadErrors"));
    errors_->setWordWrap(true);
    errors_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    errors_->hide();

    auto* add = button(QStringLiteral("cmdAddRules"), QStringLiteral("&Add..."), this);
    remove_ = button(QStringLiteral("cmdRemoveRules"), QStringLiteral("&Remove"), this);
    auto* reloadButton = button(QStringLiteral("cmdReloadRules"), QStringLiteral("Re&load"), this);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, remove_, reloadButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addWidget(errors_);
    layout->addLayout(buttons);
    resize(560, 380);

    connect(add, &QPushButton::clicked, this, [this] {
        FileDialog::OpenRequest request;
        request.objectName = QStringLiteral("dlgAddRules");
        request.caption = QStringLiteral("Add Rules File");
        request.filterLabel = QStringLiteral("Rules Files (*.rules)");
        request.filterPatterns = QStringLiteral("*.rules");
        const QString path = FileDialog::getOpenFileName(this, request);
        if (!path.isEmpty())
            addFile(path);
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        QTreeWidgetItem* item = tree_->currentItem();
        while (item && item->parent())
            item = item->parent();
        if (item)
            removeFile(item->data(Name, kFileRole).toInt());
    });
    connect(reloadButton, &QPushButton::clicked, this, &frmRules::reload);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        while (item && item->parent())
            item = item->parent();
        remove_->setEnabled(item && item->data(Name, kFileRole).toInt() != kIntegrity);
    });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != Name || item->parent())
            return;
        const bool on = item->checkState(Name) == Qt::Checked;
        const int index = item->data(Name, kFileRole).toInt();
        if (index == kIntegrity)
            choice_.integrity = on;
        else if (index < choice_.files.size())
            choice_.files[index].on = on;
        inItemChange_ = true;
        changed();
        inItemChange_ = false;
    });
    refresh();
}

void frmRules::setDocument(ClaimDocument* document) {
    if (document_)
        disconnect(document_, nullptr, this, nullptr);
    document_ = document;
    if (document) {
        for (auto signal : {&ClaimDocument::checkStarted, &ClaimDocument::checkEnded})
            connect(document, signal, this, &frmRules::refresh);
        connect(document, &ClaimDocument::closing, this, [this] { setDocument(nullptr); });
    }
    refresh();
}

void frmRules::addFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const RulesChoice::File& file : choice_.files)
        if (file.path == absolute)
            return;
    choice_.files.append({absolute, true});
    changed();
}

void frmRules::removeFile(int index) {
    if (index < 0 || index >= choice_.files.size())
        return;
    choice_.files.removeAt(index);
    changed();
}

void frmRules::reload() {
    // The files are read again as the check starts.
    changed();
}

void frmRules::changed() {
    choice_.remember();
    if (document_ && !document_->isClosed() && document_->check().hasTree())
        document_->check().startCheck();
    refresh();
}

void frmRules::refresh() {
    if (inItemChange_) {
        QMetaObject::invokeMethod(this, &frmRules::refresh, Qt::QueuedConnection);
        return;
    }
    filling_ = true;
    tree_->clear();
    const RulesChoice::Loaded* loaded =
        document_ && !document_->isClosed() ? &document_->check().rules() : nullptr;
    QStringList errors;
    const auto noteError = [&errors](const QString& error) {
        if (!error.isEmpty())
            errors.append(error);
        return error;
    };
    QTreeWidgetItem* integrity = addFileItem(
        QStringLiteral("Integrity edits of the format (%1)")
            .arg(QLatin1String(qm::RuleSet::kIntegrityFileName)),
        choice_.integrity, QString(), noteError(loaded ? loaded->integrityError : QString()));
    integrity->setData(Name, kFileRole, kIntegrity);
    addRuleItems(integrity, QString(), true);
    for (int i = 0; i < choice_.files.size(); ++i) {
        const RulesChoice::File& file = choice_.files[i];
        const QString error =
            loaded && i < loaded->fileErrors.size() ? loaded->fileErrors[i] : QString();
        QTreeWidgetItem* item =
            addFileItem(QFileInfo(file.path).fileName(), file.on, file.path, noteError(error));
        item->setData(Name, kFileRole, i);
        addRuleItems(item, file.path, false);
    }
    tree_->expandAll();
    errors_->setText(errors.join(QLatin1Char('\n')));
    errors_->setVisible(!errors.isEmpty());
    remove_->setEnabled(false);
    filling_ = false;
}

QTreeWidgetItem* frmRules::addFileItem(const QString& text, bool on, const QString& path,
                                       const QString& error) {
    auto* item = new QTreeWidgetItem(tree_, {text});
    item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsAutoTristate);
    item->setCheckState(Name, on ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(Name, path.isEmpty() ? text : QDir::toNativeSeparators(path));
    if (!error.isEmpty()) {
        // Why it does not load, where its rules would be.
        auto* why = new QTreeWidgetItem(item, {error});
        why->setIcon(Name, ProblemIcons::icon(ProblemKind::RuleError));
        why->setToolTip(Name, error);
    }
    return item;
}

void frmRules::addRuleItems(QTreeWidgetItem* fileItem, const QString& path, bool integrity) {
    if (!document_ || document_->isClosed())
        return;
    const ProblemCheck& check = document_->check();
    const qm::RuleSet* rules = check.rules().rules.get();
    if (!rules)
        return;
    const std::string bytes = CoreText::fromPath(path);
    for (const qm::RuleCatalogue::File& file : rules->files()) {
        if (file.integrity != integrity || (!integrity && file.path != bytes))
            continue;
        for (std::size_t i = file.firstRule; i < file.firstRule + file.ruleCount; ++i) {
            const qm::RuleCatalogue::Rule& rule = rules->rules()[i];
            const ProblemGroups::Count count = check.groups().rule(std::int32_t(i));
            auto* item = new QTreeWidgetItem(
                fileItem, {CoreText::fromUtf8(rule.id), ProblemText::severityName(rule.severity),
                           CountText::number(count.rows), CountText::number(count.claims)});
            item->setIcon(Severity, ProblemIcons::icon(ProblemText::severityMark(rule.severity)));
            for (const int column : {int(Rows), int(Claims)})
                item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        return;
    }
}
