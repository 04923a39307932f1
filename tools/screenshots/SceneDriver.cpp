#include "SceneDriver.h"

#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/ProblemCheck.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/PrintCommands.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

SceneDriver::SceneDriver(QString outputDir)
    : outputDir_(std::move(outputDir)) {
    SettingsStore::setFile(settingsDir_.filePath(QStringLiteral("settings.ini")));
    dialogs_.handTo(qApp);
    dialogs_.setBoxesUnshown(true);
}

SceneDriver::~SceneDriver() {
    main_.reset();
    SettingsStore::setFile(QString());
}

bool SceneDriver::fail(const QString& why) {
    error_ = why;
    return false;
}

bool SceneDriver::settle(const QString& step) {
    // Layouts, column widths and repaints all arrive as posted events.
    QTest::qWait(300);
    if (!dialogs_.shown().isEmpty())
        return fail(QStringLiteral("%1 said: %2").arg(step, dialogs_.shown().constFirst().text));
    return true;
}

QString SceneDriver::copySample(const QString& sample) {
    // The windows show the file's full path: one that is the same on every
    // machine keeps the pictures free of the checkout's folder.
    const QDir claims(QDir::temp().filePath(QStringLiteral("claims")));
    const QString path = claims.filePath(sample);
    QFile::remove(path);
    if (!claims.mkpath(QStringLiteral(".")) ||
        !QFile::copy(QDir(QStringLiteral(SAMPLES_DIR)).filePath(sample), path)) {
        fail(QStringLiteral("could not copy %1 to %2").arg(sample, path));
        return QString();
    }
    return path;
}

bool SceneDriver::start(const QString& sample) {
    const QString path = copySample(sample);
    if (path.isEmpty())
        return false;
    main_ = Startup::run(context_, {path}, QStringLiteral(MAPS_DIR));
    if (!main_)
        return fail(QStringLiteral("the start-up sequence gave no main window"));
    if (!QTest::qWaitForWindowExposed(main_.get()))
        return fail(QStringLiteral("the main window was never shown"));
    return settle(QStringLiteral("opening ") + sample);
}

bool SceneDriver::chooseInNextDialog(const QString& sample) {
    const QString path = copySample(sample);
    if (path.isEmpty())
        return false;
    dialogs_.setNextFileName(path);
    return true;
}

bool SceneDriver::trigger(const QString& action) {
    auto* found = main_ ? main_->findChild<QAction*>(action) : nullptr;
    if (!found || !found->isEnabled())
        return fail(QStringLiteral("no enabled command %1").arg(action));
    found->trigger();
    return settle(action);
}

QWidget* SceneDriver::document(const QString& window) {
    DocumentWindow* found = main_ ? main_->documents()->findDocument(window) : nullptr;
    if (!found)
        fail(QStringLiteral("no document window %1").arg(window));
    return found;
}

bool SceneDriver::place(const QString& window, const QRect& geometry) {
    QWidget* found = document(window);
    if (!found)
        return false;
    found->setGeometry(geometry);
    return settle(QStringLiteral("placing ") + window);
}

bool SceneDriver::triggerIn(const QString& window, const QString& action) {
    QWidget* found = document(window);
    auto* command = found ? found->findChild<QAction*>(action) : nullptr;
    if (!command || !command->isEnabled())
        return fail(QStringLiteral("no enabled command %1 in %2").arg(action, window));
    command->trigger();
    return settle(action);
}

bool SceneDriver::waitForCheck() {
    QWidget* found = document(QStringLiteral("frmNSFTree"));
    auto* tree = found ? found->findChild<frmNSFTree*>() : nullptr;
    if (!tree)
        return fail(QStringLiteral("no file tree window"));
    if (!QTest::qWaitFor(
            [tree] { return tree->problemMarks()->state() == ProblemMarks::State::Finished; }))
        return fail(QStringLiteral("the check of the claims did not finish"));
    return settle(QStringLiteral("the check of the claims"));
}

bool SceneDriver::waitUntilHidden(const QString& button) {
    QWidget* found = widget(button);
    if (!found)
        return false;
    if (!QTest::qWaitFor([found] { return !found->isVisible(); }, 30000))
        return fail(QStringLiteral("%1 never went away").arg(button));
    return settle(QStringLiteral("waiting for ") + button);
}

bool SceneDriver::clickTreeNode(const QString& window, const QString& text) {
    QWidget* found = document(window);
    auto* view = found ? found->findChild<QTreeView*>(QStringLiteral("TreeView1")) : nullptr;
    if (!view)
        return fail(QStringLiteral("no TreeView1 in %1").arg(window));
    QAbstractItemModel* model = view->model();
    const QModelIndexList hits =
        model->match(model->index(0, 0), Qt::DisplayRole, text, 1,
                     Qt::MatchStartsWith | Qt::MatchRecursive | Qt::MatchWrap);
    if (hits.isEmpty())
        return fail(QStringLiteral("no node '%1' in %2").arg(text, window));
    view->scrollTo(hits.constFirst());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(hits.constFirst()).center());
    return settle(QStringLiteral("the click on '%1'").arg(text));
}

bool SceneDriver::clickGridRow(const QString& name) {
    QWidget* form = document(QStringLiteral("frmClaimForm"));
    auto* grid = form ? form->findChild<QTableWidget*>(QStringLiteral("Grid")) : nullptr;
    if (!grid)
        return fail(QStringLiteral("no claim form grid"));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem* nameCell = grid->item(row, 0);
        if (!nameCell || nameCell->text().trimmed() != name)
            continue;
        const QTableWidgetItem* valueCell = grid->item(row, 1);
        if (!valueCell)
            break;
        grid->scrollToItem(valueCell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualItemRect(valueCell).center());
        return settle(QStringLiteral("the click on the field '%1'").arg(name));
    }
    return fail(QStringLiteral("no grid row for the field '%1'").arg(name));
}

QWidget* SceneDriver::widget(const QString& name) {
    QWidget* found = main_ ? main_->findChild<QWidget*>(name) : nullptr;
    if (!found)
        fail(QStringLiteral("no control %1").arg(name));
    return found;
}

bool SceneDriver::type(const QString& control, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(widget(control));
    if (!edit)
        return fail(QStringLiteral("no text box %1").arg(control));
    edit->setFocus();
    QTest::keyClicks(edit, text);
    return settle(QStringLiteral("typing into ") + control);
}

bool SceneDriver::applyFilter(const QString& control, const QString& text) {
    auto* box = qobject_cast<QComboBox*>(widget(control));
    if (!box || !box->lineEdit())
        return fail(QStringLiteral("no filter box %1").arg(control));
    box->lineEdit()->setFocus();
    QTest::keyClicks(box->lineEdit(), text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    return settle(QStringLiteral("filtering with ") + control);
}

bool SceneDriver::clickAndWait(const QString& button) {
    auto* found = qobject_cast<QAbstractButton*>(widget(button));
    if (!found || !found->isEnabled())
        return fail(QStringLiteral("no enabled button %1").arg(button));
    QTest::mouseClick(found, Qt::LeftButton);
    if (!QTest::qWaitFor([found] { return found->isEnabled(); }, 10000))
        return fail(QStringLiteral("%1 never came back").arg(button));
    return settle(QStringLiteral("the click on ") + button);
}

bool SceneDriver::doubleClickRow(const QString& window, const QString& table, int row) {
    QWidget* found = document(window);
    auto* view = found ? found->findChild<QAbstractItemView*>(table) : nullptr;
    if (!view || row >= view->model()->rowCount())
        return fail(QStringLiteral("no row %1 in %2").arg(row).arg(table));
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    return settle(QStringLiteral("the double-click on row %1 of %2").arg(row).arg(table));
}

bool SceneDriver::doubleClickRow(const QString& window, const QString& table, const QString& text) {
    QWidget* found = document(window);
    auto* view = found ? found->findChild<QAbstractItemView*>(table) : nullptr;
    if (!view)
        return fail(QStringLiteral("no table %1 in %2").arg(table, window));
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->index(row, column).data().toString() == text)
                return doubleClickRow(window, table, row);
    return fail(QStringLiteral("no row showing '%1' in %2").arg(text, table));
}

bool SceneDriver::save(const QString& fileName) {
    const QString path = QDir(outputDir_).filePath(fileName);
    if (!main_)
        return fail(QStringLiteral("no main window"));
    // Dialogs are windows of their own: drawn where they are, over the main
    // window or beside it, the picture grown to hold them whole.
    QList<QDialog*> dialogs;
    QRect bounds = main_->rect();
    for (QDialog* dialog : main_->findChildren<QDialog*>()) {
        if (!dialog->isVisible())
            continue;
        dialogs.append(dialog);
        bounds |= QRect(main_->mapFromGlobal(dialog->mapToGlobal(QPoint(0, 0))), dialog->size())
                      .adjusted(-1, -1, 0, 0);
    }
    QPixmap picture(bounds.size() * main_->devicePixelRatioF());
    picture.setDevicePixelRatio(main_->devicePixelRatioF());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.translate(-bounds.topLeft());
    painter.drawPixmap(QPoint(0, 0), main_->grab());
    for (QDialog* dialog : dialogs) {
        const QPoint at = main_->mapFromGlobal(dialog->mapToGlobal(QPoint(0, 0)));
        painter.drawPixmap(at, dialog->grab());
        painter.setPen(dialog->palette().color(QPalette::Dark));
        painter.drawRect(QRect(at, dialog->size()).adjusted(-1, -1, 0, 0));
    }
    painter.end();
    if (!picture.save(path))
        return fail(QStringLiteral("could not write %1").arg(path));
    return true;
}

bool SceneDriver::savePrintPreview(const QSize& size, const QString& fileName) {
    const QString path = QDir(outputDir_).filePath(fileName);
    bool saved = false;
    // The preview is modal: it is shown and saved in the command's place of
    // showing it, and closes when the command ends.
    auto* commands = main_ ? main_->findChild<PrintCommands*>() : nullptr;
    if (!commands)
        return fail(QStringLiteral("no print commands"));
    commands->setDialogs({},
                         [&](QPrintPreviewDialog& dialog) {
                             dialog.resize(size);
                             dialog.show();
                             QTest::qWait(500);
                             saved = dialog.grab().save(path);
                         },
                         {});
    const bool triggered = trigger(QStringLiteral("mnuFilePrintPreview"));
    commands->setDialogs({}, {}, {});
    if (triggered && !saved)
        return fail(QStringLiteral("could not write %1").arg(path));
    return triggered;
}

bool SceneDriver::saveWindow(const QString& window, const QString& fileName) {
    QWidget* found = document(window);
    const QString path = QDir(outputDir_).filePath(fileName);
    if (!found || !found->grab().save(path))
        return fail(QStringLiteral("could not write %1").arg(path));
    return true;
}
