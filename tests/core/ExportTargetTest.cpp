// What stands at an export's path, and which kinds an export may replace.
#include "core/io/ExportTarget.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace qm;
using Kind = ExportTarget::Kind;
Q_DECLARE_METATYPE(ExportTarget::Kind)

class ExportTargetTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::string path(const char* name) const {
        return dir.filePath(QLatin1String(name)).toStdString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        std::ofstream(path("claims.nsf")) << "AA0";
        std::ofstream(path("old.csv")) << "old";
        QVERIFY(::mkdir(path("folder").c_str(), 0700) == 0);
        QVERIFY(::mkfifo(path("pipe").c_str(), 0600) == 0);
        QVERIFY(::symlink(path("claims.nsf").c_str(), path("link.nsf").c_str()) == 0);
        QVERIFY(::link(path("claims.nsf").c_str(), path("hard.nsf").c_str()) == 0);
        QVERIFY(::symlink(path("nowhere").c_str(), path("dangling").c_str()) == 0);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socket >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = path("socket");
        QVERIFY(name.size() < sizeof address.sun_path);
        name.copy(address.sun_path, name.size());
        QVERIFY(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        ::close(socket);
    }

    void kinds_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("reason");
        const QString claimFile = QStringLiteral("it is the claim file that is open, which "
                                                 "Quillmark never changes");
        QTest::newRow("absent") << QStringLiteral("new.csv") << Kind::Absent << QString();
        QTest::newRow("regular file")
            << QStringLiteral("old.csv") << Kind::RegularFile << QString();
        QTest::newRow("link to nothing") << QStringLiteral("dangling") << Kind::Absent << QString();
        QTest::newRow("open claim file")
            << QStringLiteral("claims.nsf") << Kind::OpenClaimFile << claimFile;
        QTest::newRow("link to it")
            << QStringLiteral("link.nsf") << Kind::OpenClaimFile << claimFile;
        QTest::newRow("hard link to it")
            << QStringLiteral("hard.nsf") << Kind::OpenClaimFile << claimFile;
        QTest::newRow("folder") << QStringLiteral("folder") << Kind::Directory
                                << QStringLiteral("it is a folder");
        QTest::newRow("named pipe") << QStringLiteral("pipe") << Kind::Pipe
                                    << QStringLiteral("it is a named pipe, not a file");
        QTest::newRow("socket") << QStringLiteral("socket") << Kind::Socket
                                << QStringLiteral("it is a socket, not a file");
        QTest::newRow("device") << QStringLiteral("/dev/null") << Kind::Device
                                << QStringLiteral("it is a device, not a file");
        QTest::newRow("below a file") << QStringLiteral("old.csv/x.csv") << Kind::Unreachable
                                      << QStringLiteral("Not a directory");
    }

    void kinds() {
        QFETCH(QString, target);
        QFETCH(Kind, kind);
        QFETCH(QString, reason);
        const std::string at = target.startsWith(QLatin1Char('/'))
                                   ? target.toStdString()
                                   : dir.filePath(target).toStdString();
        const ExportTarget found = ExportTarget::inspect(at, {"", path("claims.nsf")});
        QCOMPARE(found.kind(), kind);
        QCOMPARE(found.writable(), reason.isEmpty());
        QCOMPARE(QString::fromStdString(found.reason()), reason);
    }

    // Without the claim file named, it is a file like any other.
    void claimFileOnlyWhenNamed() {
        QCOMPARE(ExportTarget::inspect(path("link.nsf"), {}).kind(), Kind::RegularFile);
    }
};

QTEST_GUILESS_MAIN(ExportTargetTest)
#include "ExportTargetTest.moc"
