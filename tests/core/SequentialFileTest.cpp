#include "core/io/SequentialFile.h"

#include "ClaimFileBuilder.h"
#include "TestWorkspace.h"

#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using qm::SequentialFile;

class SequentialFileTest : public QObject {
    Q_OBJECT

    TestWorkspace ws;

    std::vector<std::pair<long long, std::string>>
    readAll(const std::string& bytes,
            SequentialFile::LineEnds ends = SequentialFile::LineEnds::CrOrCrLf) {
        ws.write("f", bytes);
        SequentialFile f;
        f.setLineEnds(ends);
        if (!f.open(ws.path("f")))
            return {};
        std::vector<std::pair<long long, std::string>> lines;
        std::string line;
        for (;;) {
            long long pos = f.position();
            if (f.atEnd())
                break;
            f.readLine(line);
            lines.emplace_back(pos, line);
        }
        return lines;
    }

private slots:
    void lineEndsAndPositions() {
        using L = std::vector<std::pair<long long, std::string>>;
        QCOMPARE(readAll("ab\r\ncd\r\n"), (L{{1, "ab"}, {5, "cd"}}));
        QCOMPARE(readAll("ab\rcd\r"), (L{{1, "ab"}, {4, "cd"}}));
        // A lone LF is an ordinary character: an LF-only file is one line.
        QCOMPARE(readAll("ab\ncd\n"), (L{{1, "ab\ncd\n"}}));
        // LF CR: the LF ends up at the end of the line.
        QCOMPARE(readAll("ab\n\rcd\n\r"), (L{{1, "ab\n"}, {5, "cd\n"}}));
        // CR LF LF: the second LF starts the next line.
        QCOMPARE(readAll("ab\r\n\ncd\r\n"), (L{{1, "ab"}, {5, "\ncd"}}));
        QCOMPARE(readAll("last line without end"), (L{{1, "last line without end"}}));
        QCOMPARE(readAll("\r\n\r\n"), (L{{1, ""}, {3, ""}}));
        QCOMPARE(readAll(""), L{});
    }

    void lfAlsoEndsLinesWhenAsked() {
        using L = std::vector<std::pair<long long, std::string>>;
        const auto lf = SequentialFile::LineEnds::AlsoLf;
        QCOMPARE(readAll("ab\ncd\n", lf), (L{{1, "ab"}, {4, "cd"}}));
        // CR LF, a lone CR and a lone LF mixed: each ends one line.
        QCOMPARE(readAll("ab\r\ncd\nef\rgh", lf), (L{{1, "ab"}, {5, "cd"}, {8, "ef"}, {11, "gh"}}));
        // LF CR is two ends, LF LF an empty line.
        QCOMPARE(readAll("ab\n\rcd\n\nef", lf),
                 (L{{1, "ab"}, {4, ""}, {5, "cd"}, {8, ""}, {9, "ef"}}));
        QCOMPARE(readAll("\n", lf), (L{{1, ""}}));
    }

    // Every way of reading gives the lines a plain byte loop finds, in both
    // modes, over lines of lengths around the buffer's and the cap, ended at
    // random by CR LF, CR or LF, so that ends fall on every buffer boundary.
    void readingsAgreeWithAPlainSplit_data() {
        QTest::addColumn<bool>("lfEnds");
        QTest::newRow("CR or CR LF") << false;
        QTest::newRow("LF too") << true;
    }
    void readingsAgreeWithAPlainSplit() {
        QFETCH(bool, lfEnds);
        std::string bytes;
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            return seed = seed * 1664525u + 1013904223u;
        };
        const char* ends[] = {"\r\n", "\r", "\n"};
        while (bytes.size() < (std::size_t(3) << 20)) {
            const std::uint32_t r = next();
            const std::size_t len = r % 4 == 0   ? (std::size_t(1) << 18) - 1 + (r >> 8) % 3
                                    : r % 4 == 1 ? (std::size_t(1) << 20) + (r >> 8) % 5
                                                 : (r >> 8) % 700;
            bytes += std::string(len, char('a' + r % 26)) + ends[(r >> 4) % 3];
        }
        using L = std::vector<std::pair<long long, std::size_t>>; // position, length
        L expected;
        for (std::size_t at = 0, start = 0; at <= bytes.size(); ++at) {
            const bool end = at == bytes.size();
            if (end && start == at)
                break;
            const char c = end ? '\0' : bytes[at];
            if (!end && c != '\r' && !(lfEnds && c == '\n'))
                continue;
            expected.emplace_back(static_cast<long long>(start) + 1,
                                  std::min(at - start, SequentialFile::kMaxLineLength));
            start = at + 1 + (c == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n');
            at = start - 1;
        }
        const auto mode =
            lfEnds ? SequentialFile::LineEnds::AlsoLf : SequentialFile::LineEnds::CrOrCrLf;
        L byLine;
        for (const auto& [pos, line] : readAll(bytes, mode))
            byLine.emplace_back(pos, line.size());
        QCOMPARE(byLine, expected);
        SequentialFile f, same;
        f.setLineEnds(mode);
        QVERIFY(f.open(ws.path("f")) && same.openSame(f));
        L byVisit;
        same.forEachLine([&byVisit](std::string_view line, std::int64_t start) {
            byVisit.emplace_back(start, line.size());
        });
        QCOMPARE(byVisit, expected);
    }

    void linesAcrossBufferBoundaries() {
        // Lines of every length around the buffer size, CR LF split across reads.
        std::string bytes;
        std::vector<std::size_t> lengths;
        for (std::size_t len : {std::size_t(1) << 20, (std::size_t(1) << 20) - 1,
                                (std::size_t(1) << 20) - 2, std::size_t(5), std::size_t(0)}) {
            bytes += std::string(len, 'x') + "\r\n";
            lengths.push_back(len);
        }
        auto lines = readAll(bytes);
        QCOMPARE(lines.size(), lengths.size());
        long long pos = 1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].first, pos);
            QCOMPARE(lines[i].second.size(), lengths[i]);
            pos += static_cast<long long>(lengths[i]) + 2;
        }
    }

    void overlongLineIsCutButConsumed() {
        const std::size_t cap = SequentialFile::kMaxLineLength;
        // A line of exactly the cap is whole, and not said to be cut.
        ws.write("cap", std::string(cap, 'y') + "\r\n");
        SequentialFile whole;
        QVERIFY(whole.open(ws.path("cap")));
        std::string line;
        QVERIFY(whole.readLine(line));
        QCOMPARE(line.size(), cap);
        QVERIFY(!whole.lastLineCut());

        ws.write("long", std::string(cap * 3 + 7, 'y') + "\r\nnext\r\n");
        SequentialFile f;
        QVERIFY(f.open(ws.path("long")));
        QVERIFY(f.readLine(line));
        QCOMPARE(line.size(), cap);
        QVERIFY(f.lastLineCut());
        QCOMPARE(f.position(), static_cast<long long>(cap * 3 + 7 + 3));
        QVERIFY(f.readLine(line));
        QCOMPARE(line, std::string("next"));
        QVERIFY(!f.lastLineCut());
        QVERIFY(f.atEnd());
    }

    void seekAndReadAgain() {
        ws.write("s", "AA0xx\r\nBA0yy\r\n");
        SequentialFile f;
        QVERIFY(f.open(ws.path("s")));
        std::string line;
        f.seek(8);
        QVERIFY(f.readLine(line));
        QCOMPARE(line, std::string("BA0yy"));
        f.seek(1);
        QVERIFY(f.readLine(line));
        QCOMPARE(line, std::string("AA0xx"));
        f.seek(3);
        QVERIFY(f.readLine(line));
        QCOMPARE(line, std::string("0xx"));
        f.seek(100);
        QVERIFY(f.atEnd());
        QVERIFY(!f.readLine(line));
        QVERIFY(line.empty());
    }

    void positionsBeyondFourGigabytes() {
        // A sparse file: a record far past the 32-bit range.
        const long long offset = 5LL * 1024 * 1024 * 1024;
        const std::string p = ws.path("sparse");
        int fd = ::open(p.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        const std::string rec = "\rCA0far\r\n";
        QCOMPARE(::pwrite(fd, rec.data(), rec.size(), offset), static_cast<ssize_t>(rec.size()));
        ::close(fd);
        SequentialFile f;
        QVERIFY(f.open(p));
        f.seek(offset + 2);
        std::string line;
        QVERIFY(f.readLine(line));
        QCOMPARE(line, std::string("CA0far"));
        QCOMPARE(f.position(), offset + 1 + static_cast<long long>(rec.size()));
    }

    void fileShrinkingOrVanishingWhileOpen() {
        std::string bytes;
        for (int i = 0; i < 20000; ++i)
            bytes += std::string(320, 'Z') + "\r\n";
        ws.write("shrink", bytes);
        SequentialFile f;
        QVERIFY(f.open(ws.path("shrink")));
        std::string line;
        QVERIFY(f.readLine(line));
        QVERIFY(::truncate(ws.path("shrink").c_str(), 1000) == 0);
        f.seek(5000);
        QVERIFY(f.atEnd());
        QVERIFY(!f.readLine(line));
        f.seek(323);
        QVERIFY(f.readLine(line));
        QCOMPARE(line.size(), std::size_t(320));
        QVERIFY(::unlink(ws.path("shrink").c_str()) == 0);
        f.seek(1);
        QVERIFY(f.readLine(line)); // an unlinked file stays readable while open
    }

    void openFailures() {
        SequentialFile f;
        std::string error;
        QVERIFY(!f.open(ws.path("missing"), &error));
        QVERIFY(!error.empty());
        QVERIFY(!f.open(ws.folder, &error)); // a folder is not a file
        QVERIFY(!f.isOpen());
        // A device that never ends and a pipe without a writer are refused at once.
        QVERIFY(!f.open("/dev/zero", &error));
        QCOMPARE(error, std::string("Not a regular file"));
        const std::string fifo = ws.path("fifo");
        QVERIFY(::mkfifo(fifo.c_str(), 0600) == 0);
        QVERIFY(!f.open(fifo, &error));
        QCOMPARE(error, std::string("Not a regular file"));
        std::string line;
        QVERIFY(f.atEnd());
        QVERIFY(!f.readLine(line));
    }
};

QTEST_GUILESS_MAIN(SequentialFileTest)
#include "SequentialFileTest.moc"
