#include "gui/about/frmAbout.h"

#include "gui/about/Branding.h"
#include "gui/about/DetachedProcessStarter.h"
#include "gui/about/NativeRegistry.h"
#include "gui/about/SystemInfo.h"
#include "gui/common/Controls.h"
#include "gui/common/MapSearch.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent, Registry* registry, ProcessStarter* starter)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillmark"));
    setModal(true);

    if (!registry) {
        ownRegistry_ = std::make_unique<NativeRegistry>();
        registry = ownRegistry_.get();
    }
    if (!starter) {
        ownStarter_ = std::make_unique<DetachedProcessStarter>();
        starter = ownStarter_.get();
    }
    registry_ = registry;
    starter_ = starter;

    QLabel* icon = Controls::label(this, QStringLiteral("picIcon"), QString());
    icon->setPixmap(Branding::applicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QLabel* disclaimer = Controls::label(
        this, QStringLiteral("lblDisclaimer"),
        QStringLiteral("Warning: this program is protected by copyright law. Copying or "
                       "distributing it, or any part of it, without permission may result in "
                       "civil and criminal penalties."));
    disclaimer->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setAutoDefault(false);
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    QVBoxLayout* texts = makeTexts();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    buttons->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(16);
    grid->addWidget(icon, 0, 0);
    grid->addLayout(texts, 0, 1, 1, 2);
    grid->addWidget(line, 1, 0, 1, 3);
    grid->addWidget(disclaimer, 2, 0, 1, 2);
    grid->addLayout(buttons, 2, 2);
    grid->setColumnStretch(1, 1);

    fitSize();
}

QVBoxLayout* frmAbout::makeTexts() {
    QLabel* title = Controls::label(this, QStringLiteral("lblTitle"), Branding::title());
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);

    QLabel* version = Controls::label(this, QStringLiteral("lblVersion"), Branding::versionLine());

    // Where this run's map files come from, so a user can tell which copy is read.
    maps_ = Controls::label(this, QStringLiteral("lblMaps"),
                            MapSearch::line(MapSearch::forStart(QString())));
    maps_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A format file is optional: which ones are there is said here, not as a warning.
    formats_ = Controls::label(this, QStringLiteral("lblFormats"),
                               MapSearch::formatsLine(MapSearch::forStart(QString())));
    formats_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // A map can name hundreds of doubtful fields: they scroll in a few lines.
    mapWarnings_ = new QPlainTextEdit(this);
    mapWarnings_->setObjectName(QStringLiteral("txtMapWarnings"));
    mapWarnings_->setReadOnly(true);
    mapWarnings_->setLineWrapMode(QPlainTextEdit::NoWrap);
    mapWarnings_->setFixedHeight(mapWarnings_->fontMetrics().lineSpacing() * 5);
    mapWarnings_->hide();

    QLabel* description = Controls::label(
        this, QStringLiteral("lblDescription"),
        QStringLiteral("Displays health-claim files in the National Standard Format (NSF), "
                       "record by record and field by field, without changing them."));
    description->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addWidget(maps_);
    texts->addWidget(formats_);
    texts->addWidget(mapWarnings_);
    texts->addSpacing(8);
    texts->addWidget(description);
    return texts;
}

void frmAbout::fitSize() {
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

void frmAbout::setMapWarnings(const QStringList& lines) {
    mapWarnings_->setPlainText(lines.join(QLatin1Char('\n')));
    mapWarnings_->setVisible(!lines.isEmpty());
    fitSize();
}

frmAbout::~frmAbout() = default;

void frmAbout::setMapFolders(const std::vector<std::string>& folders) {
    maps_->setText(MapSearch::line(folders));
    formats_->setText(MapSearch::formatsLine(folders));
    fitSize();
}

void frmAbout::StartSysInfo() {
    SystemInfo::StartSysInfo(*registry_, *starter_, this);
}
