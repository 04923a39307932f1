// Claim files that change under the program: cut short or deleted after
// File > Open, before View Claims and before a node click. The program reports
// or shows what is there and keeps working.
#include "GuiTest.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <unistd.h>

class HostileGuiTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fileCutShortBeforeViewClaims();
    void fileDeletedBeforeViewClaims();
    void fileCutShortBeforeANodeClick();
    void emptyAndBinaryFilesAreRefusedClearly();
    void folderIsRefusedClearly();

private:
    // Copies the sample into the temporary folder and opens the copy.
    QString openCopy();
    frmNSFTree* viewClaims();
    QStringList statusTexts(frmNSFTree* window) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void HostileGuiTest::init() {
    GuiTest::initTestCase();
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    QVERIFY(QDir::setCurrent(QStringLiteral(MAPS_DIR)));
    main_ = Startup::run(*context_, {});
    QVERIFY(main_);
    main_->resize(1200, 900);
}

void HostileGuiTest::cleanup() {
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

QString HostileGuiTest::openCopy() {
    const QString copy = dir_->filePath(QStringLiteral("claims.nsf"));
    QFile::remove(copy);
    if (!QFile::copy(QStringLiteral(SAMPLES_DIR "/sample301.nsf"), copy))
        return {};
    main_->openFile(copy);
    return copy;
}

// A tree window built from the file as it is now: the one that opening the
// file showed is closed first.
frmNSFTree* HostileGuiTest::viewClaims() {
    if (DocumentWindow* shown = main_->documents()->findDocument(QStringLiteral("frmNSFTree")))
        shown->close();
    if (!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")))
        return nullptr;
    DocumentWindow* document = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    return document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
}

QStringList HostileGuiTest::statusTexts(frmNSFTree* window) const {
    QStringList texts;
    for (QLabel* label :
         window->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

void HostileGuiTest::fileCutShortBeforeViewClaims() {
    const QString path = openCopy();
    QVERIFY(!path.isEmpty());
    // Two whole lines and a piece of the third are left.
    QVERIFY(::truncate(QFile::encodeName(path).constData(), 322 * 2 + 100) == 0);
    frmNSFTree* window = viewClaims();
    QVERIFY(window);
    QCOMPARE(window->tree().size(), 2);
    QCOMPARE(window->tree().key(1), std::string("BA0323"));
    QVERIFY(statusTexts(window).contains(QStringLiteral("BA0 Count: 1")));
    QVERIFY(statusTexts(window).contains(QStringLiteral("CA0 Count: 0")));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void HostileGuiTest::fileDeletedBeforeViewClaims() {
    const QString path = openCopy();
    QVERIFY(QFile::remove(path));
    // The open file stays readable until it is closed.
    frmNSFTree* window = viewClaims();
    QVERIFY(window);
    QVERIFY(window->tree().ClaimCount > 0);
    emit window->nodeActivated(*window->tree().findKey("CA0967"));
    auto* form = main_->findChild<frmClaimForm*>(QStringLiteral("frmClaimForm"));
    QVERIFY(form);
    QVERIFY(form->findChild<QTreeWidget*>(QStringLiteral("TreeView1"))->topLevelItemCount() > 0);
}

void HostileGuiTest::fileCutShortBeforeANodeClick() {
    const QString path = openCopy();
    frmNSFTree* window = viewClaims();
    QVERIFY(window);
    const qint64 claim = *window->tree().findKey("CA04831");
    QVERIFY(::truncate(QFile::encodeName(path).constData(), 0) == 0);
    emit window->nodeActivated(claim);
    auto* form = main_->findChild<frmClaimForm*>(QStringLiteral("frmClaimForm"));
    QVERIFY(form);
    // Nothing could be read, so there is no trailer to check and no message.
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    // The program keeps working: a good file opens and its tree is there.
    main_->openFile(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: " SAMPLES_DIR "/sample301.nsf"));
}

void HostileGuiTest::emptyAndBinaryFilesAreRefusedClearly() {
    const QByteArray contents[] = {QByteArray(), QByteArray(4096, '\0'),
                                   QByteArray("\x7f"
                                              "ELF\x02\x01\x01",
                                              7) +
                                       QByteArray(5000, '\xff')};
    for (const QByteArray& bytes : contents) {
        GuiTest::dialogs().forgetBoxes();
        GuiTest::isolate(*dir_);
        QFile file(dir_->filePath(QStringLiteral("odd.nsf")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        main_->openFile(file.fileName());
        QCOMPARE(GuiTest::dialogs().shown().size(), 1);
        QCOMPARE(GuiTest::dialogs().shown().first().text,
                 QStringLiteral("This is not an NSF file. Can not locate the AA0 record!"));
        QCOMPARE(main_->statusText(), QStringLiteral("No File Open"));
    }
}

void HostileGuiTest::folderIsRefusedClearly() {
    main_->openFile(dir_->path());
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().first().title, QStringLiteral("Unable to Open File"));
    QVERIFY(GuiTest::dialogs().shown().first().text.contains(dir_->path()));
    QCOMPARE(main_->statusText(), QStringLiteral("No File Open"));
}

QTEST_MAIN(HostileGuiTest)
#include "HostileGuiTest.moc"
