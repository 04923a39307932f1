#include "gui/shell/frmMain.h"

#include "core/Version.h"
#include "core/openfile/ClaimFileOpener.h"
#include "gui/about/Branding.h"
#include "gui/about/frmAbout.h"
#include "gui/claimform/ClaimExport.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/FileDialog.h"
#include "gui/common/PlainText.h"
#include "gui/common/WindowPositions.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/shell/ClaimFileOpening.h"
#include "gui/shell/DocumentViews.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>

namespace {

// Long enough to read a path.
constexpr int kConfirmationMs = 15000;

// The first local file among dropped items, or an empty string.
QString droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return QString();
    const QList<QUrl> urls = mime->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url.toLocalFile();
    }
    return QString();
}

} // namespace

frmMain::frmMain(AppContext& context, QWidget* parent)
    : QMainWindow(parent)
    , context_(context) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(qm::kApplicationTitle));
    setWindowIcon(Branding::applicationIcon());
    setAcceptDrops(true);

    documents_ = new DocumentArea(this);
    setCentralWidget(documents_);
    context_.setDocuments(documents_);

    QStatusBar* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("sbStatusBar"));
    statusPanel_ = new QLabel(QStringLiteral("No File Opened"), statusBar);
    statusPanel_->setObjectName(QStringLiteral("sbStatusBarPanel1"));
    statusPanel_->setTextFormat(Qt::PlainText);
    // A long path is cut at the window's edge (its tooltip has all of it)
    // rather than widening the main window.
    statusPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar->addWidget(statusPanel_, 1);
    setStatusBar(statusBar);

    createMenus();
    connect(documents_, &QMdiArea::subWindowActivated, this, &frmMain::updateWindowList);
    connect(documents_, &QMdiArea::subWindowActivated, this, &frmMain::followClaimForm);

    // Until the user has given the main window a size of its own, it grows to
    // show a new document window; after that it is left as the user made it.
    documents_->setGrowWindowForDocuments(!WindowPositions::isStored(objectName()));
    WindowPositions::restore(this, objectName());
}

frmMain::~frmMain() {
    // The document area outlives this part of the object and still reports
    // its windows going while it is torn down: neither this window nor the
    // commands it owns, which reach back to it, may hear that.
    disconnect(documents_, nullptr, this, nullptr);
    for (QObject* command : children())
        if (command != documents_)
            disconnect(documents_, nullptr, command, nullptr);
    context_.setDocuments(nullptr);
}

QAction* frmMain::addAction(QMenu* menu, const QString& name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

void frmMain::createMenus() {
    auto addMenu = [this](const QString& name, const QString& title, QMenu* parent = nullptr) {
        QMenu* menu = parent ? parent->addMenu(title) : menuBar()->addMenu(title);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };

    QMenu* file = addMenu(QStringLiteral("mnuFile"), QStringLiteral("&File"));
    QAction* open = addAction(file, QStringLiteral("mnuFileOpen"), QStringLiteral("&Open..."));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &frmMain::fileOpen);
    fileCloseAction_ = addAction(file, QStringLiteral("mnuFileClose"), QStringLiteral("&Close"));
    fileCloseAction_->setEnabled(false);
    connect(fileCloseAction_, &QAction::triggered, this, &frmMain::fileClose);
    exportClaimAction_ =
        addAction(file, QStringLiteral("mnuFileExportClaim"), QStringLiteral("&Export Claim..."));
    exportClaimAction_->setEnabled(false);
    connect(exportClaimAction_, &QAction::triggered, this, &frmMain::exportClaim);
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileBar0"));
    recentMenu_ = addMenu(QStringLiteral("mnuFileRecent"), QStringLiteral("Recent &Files"), file);
    for (int number = 1; number <= RecentFiles::kMaxFiles; ++number) {
        QAction* entry = addAction(recentMenu_, QStringLiteral("mnuFileRecent%1").arg(number), {});
        connect(entry, &QAction::triggered, this,
                [this, entry] { openFile(entry->data().toString()); });
        recentEntries_.append(entry);
    }
    recentMenu_->addSeparator();
    recentClearAction_ =
        addAction(recentMenu_, QStringLiteral("mnuFileRecentClear"), QStringLiteral("&Clear Menu"));
    connect(recentClearAction_, &QAction::triggered, this, [this] {
        recentFiles_.clear();
        updateRecentFilesMenu();
    });
    updateRecentFilesMenu();
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileBar1"));
    QAction* exit = addAction(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = addMenu(QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    QAction* copy = addAction(edit, QStringLiteral("mnuEditCopy"), QStringLiteral("&Copy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setEnabled(false);

    QMenu* tools = addMenu(QStringLiteral("mnuTools"), QStringLiteral("&Tools"));
    viewClaimsAction_ =
        addAction(tools, QStringLiteral("mnuClaimForm"), QStringLiteral("&View Claims"));
    viewClaimsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    viewClaimsAction_->setEnabled(false);
    connect(viewClaimsAction_, &QAction::triggered, this, &frmMain::viewClaims);
    addAction(tools, QStringLiteral("mnuToolsOptions"), QStringLiteral("&Options..."))
        ->setEnabled(false);

    windowMenu_ = addMenu(QStringLiteral("mnuWindow"), QStringLiteral("&Window"));
    connect(addAction(windowMenu_, QStringLiteral("mnuWindowCascade"), QStringLiteral("&Cascade")),
            &QAction::triggered, documents_, &DocumentArea::cascade);
    connect(addAction(windowMenu_, QStringLiteral("mnuWindowTileHorizontal"),
                      QStringLiteral("Tile &Horizontal")),
            &QAction::triggered, documents_, &DocumentArea::tileHorizontally);
    connect(addAction(windowMenu_, QStringLiteral("mnuWindowTileVertical"),
                      QStringLiteral("Tile &Vertical")),
            &QAction::triggered, documents_, &DocumentArea::tileVertically);
    connect(windowMenu_, &QMenu::aboutToShow, this, &frmMain::updateWindowList);

    QMenu* help = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    connect(addAction(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("&About ")),
            &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::updateWindowList() {
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = documents_->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_.append(windowMenu_->addSeparator());
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        const QString title = PlainText::shownTitle(window->windowTitle());
        QAction* entry = windowMenu_->addAction(
            QStringLiteral("&%1 %2").arg(number).arg(PlainText::menuText(title)));
        entry->setCheckable(true);
        entry->setChecked(window == documents_->activeSubWindow());
        connect(entry, &QAction::triggered, documents_,
                [this, window] { documents_->activateDocument(window); });
        windowListActions_.append(entry);
    }
}

void frmMain::updateRecentFilesMenu() {
    // The entries stay and change: one of them may be what is running this.
    const QStringList& paths = recentFiles_.paths();
    for (int i = 0; i < recentEntries_.size(); ++i) {
        QAction* entry = recentEntries_.at(i);
        const QString path = paths.value(i);
        entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(PlainText::menuText(path)));
        entry->setData(path);
        entry->setVisible(!path.isEmpty());
    }
    recentClearAction_->setEnabled(!paths.isEmpty());
    recentMenu_->menuAction()->setEnabled(!paths.isEmpty());
}

QString frmMain::statusText() const {
    return statusPanel_->text();
}

void frmMain::setViews(DocumentViews* views) {
    views_ = views;
    views->follow(context_.document());
}

QAction* frmMain::insertCommand(const QString& name, const QString& text, const QString& beforeName,
                                const QKeySequence& keys) {
    auto* command = new QAction(text, this);
    command->setObjectName(name);
    command->setShortcut(keys);
    const QList<QMenu*> menus = menuBar()->findChildren<QMenu*>();
    for (QMenu* menu : menus) {
        const QList<QAction*> items = menu->actions();
        for (QAction* item : items) {
            if (item->objectName() == beforeName) {
                menu->insertAction(item, command);
                return command;
            }
        }
    }
    qFatal("frmMain::insertCommand: no menu item named %s to put %s before", qPrintable(beforeName),
           qPrintable(name));
}

void frmMain::setFileState(bool open, const QString& status, const QString& toolTip) {
    fileCloseAction_->setEnabled(open);
    viewClaimsAction_->setEnabled(open);
    emit fileOpenChanged(open);
    statusPanel_->setText(status);
    // All of it (the whole path, the map's warnings), for when the status bar
    // is too narrow to show it.
    statusPanel_->setToolTip(PlainText::toolTip(toolTip));
}

void frmMain::confirm(const QString& text) {
    statusBar()->showMessage(text, kConfirmationMs);
}

QString frmMain::confirmation() const {
    return statusBar()->currentMessage();
}

ClaimDocument* frmMain::document() const {
    return context_.document();
}

void frmMain::closeFile() {
    // What the windows of the file show belongs to it: a tree node would lead
    // into another file, a form would show records no longer open. Each
    // closes as its file goes, and its work stops.
    ClaimDocument* document = context_.document();
    context_.setDocument(nullptr);
    if (document)
        document->release();
    setWindowTitle(QString::fromLatin1(qm::kApplicationTitle));
    // They go now, not when the event loop next turns: a file opened next
    // would otherwise be read and its tree built while the old tree and its
    // problems are still held, twice the memory on a big file.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void frmMain::fileOpen() {
    FileDialog::OpenRequest request;
    request.objectName = QStringLiteral("dlgCommonDialog");
    request.caption = QStringLiteral("Open");
    request.filterLabel = QStringLiteral("All Files (*.*)");
    request.filtersBefore = QStringList{QStringLiteral("NSF claim files (*.nsf)")};
    if (!context_.lastPath().isEmpty())
        request.directory = QFileInfo(context_.lastPath()).absolutePath();
    const QString path = FileDialog::getOpenFileName(this, request);
    if (path.isEmpty())
        return;
    openFile(path);
}

void frmMain::openFile(const QString& chosenPath) {
    const QString path = QDir::toNativeSeparators(chosenPath);
    context_.setLastPath(path);
    // The open file stays until the new one has opened: a refused open
    // changes nothing, its windows and work included. Only the file header
    // is read here, so the two files do not weigh on memory together.
    qm::ClaimFileOpener::Opened opened =
        ClaimFileOpening::open(path, context_, context_.layouts(), this);
    context_.setLayouts(opened.layouts);
    if (!opened.file) {
        if (!context_.document())
            setFileState(false, QStringLiteral("No File Open"));
        return;
    }
    closeFile();
    auto* document = new ClaimDocument(std::move(opened.file), context_.sharedSeams(), this);
    context_.setDocument(document);
    if (views_)
        views_->follow(document);
    emit documentOpened(document);
    // The status text is the path and nothing else; what is doubtful about
    // the file (its message box said so) or its map stays in the tooltip,
    // and the map's warnings in Help > About.
    QStringList notes{path};
    if (opened.result.lfOnly)
        notes.append(QStringLiteral("Lines end in LF only"));
    notes += mapWarnings();
    setFileState(true, QStringLiteral("Opened File: ") + path, notes.join(QLatin1Char('\n')));
    // Read otherwise than its format says, as the user asked: always in sight.
    if (opened.result.lfLineEnds)
        setWindowTitle(
            QStringLiteral("%1 - %2 (LF line ends)")
                .arg(QString::fromLatin1(qm::kApplicationTitle), QFileInfo(path).fileName()));
    recentFiles_.add(path);
    updateRecentFilesMenu();
    // What the user opens a claim file for: its tree, at once.
    viewClaims();
}

void frmMain::fileClose() {
    closeFile();
    setFileState(false, QStringLiteral("No File Open"));
}

void frmMain::viewClaims() {
    if (views_ && context_.document())
        views_->showTree();
}

void frmMain::followClaimForm(QMdiSubWindow* window) {
    auto* form = window ? qobject_cast<frmClaimForm*>(window->widget()) : nullptr;
    if (!form || form == claimForm_)
        return;
    claimForm_ = form;
    exportClaimAction_->setEnabled(form->claim() != nullptr);
    connect(form, &frmClaimForm::claimShown, exportClaimAction_, &QAction::setEnabled);
    connect(form, &QObject::destroyed, exportClaimAction_,
            [action = exportClaimAction_] { action->setEnabled(false); });
}

void frmMain::exportClaim() {
    if (!claimForm_ || !claimForm_->claim())
        return;
    const QString folder =
        context_.document() ? QFileInfo(context_.document()->path()).absolutePath() : QString();
    if (const ExportFile::Written written =
            ClaimExport::run(this, *claimForm_->claim(), claimForm_->claimKey(), folder))
        confirm(written.confirmation());
}

QStringList frmMain::mapWarnings() const {
    QStringList lines;
    if (const ClaimDocument* session = context_.document())
        for (const std::string& line : session->file().layouts()->warnings())
            lines.append(CoreText::fromUtf8(line));
    return lines;
}

void frmMain::showAbout() {
    frmAbout about(this);
    about.setMapFolders(context_.mapFolders());
    about.setMapWarnings(mapWarnings());
    about.exec();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Document windows close first, each saving its own place.
    if (!documents_->closeAllDocuments()) {
        event->ignore();
        return;
    }
    WindowPositions::save(this, objectName());
    event->accept();
    emit closed();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Open after the drag has finished, so that the source is not kept
    // waiting while a message box is up.
    QMetaObject::invokeMethod(
        this, [this, path] { openFile(path); }, Qt::QueuedConnection);
}
