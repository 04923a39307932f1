#pragma once

#include "core/common/RecordingMessageSink.h"
#include "core/layouts/Module1.h"

#include <QTemporaryDir>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Builds claim files and map files for tests: records of 320 characters with
// values at given columns, written with a chosen line end.
class ClaimFileBuilder {
public:
    // A record of the given type, blank-padded to 320 characters, with values
    // written at 1-based columns.
    static std::string record(const std::string& type,
                              const std::vector<std::pair<int, std::string>>& values = {},
                              std::size_t length = 320);
    // A number right-justified and zero-filled to width.
    static std::string digits(long long value, int width);

    ClaimFileBuilder& add(const std::string& line);
    ClaimFileBuilder& addRaw(const std::string& bytes);
    // Byte position (1-based) at which the next line will start.
    long long nextPosition() const { return static_cast<long long>(bytes_.size()) + 1; }
    const std::string& bytes() const { return bytes_; }

    std::string lineEnd = "\r\n";

private:
    std::string bytes_;
};

// A temporary folder with the test map files and claim files, and a fresh
// Module1 whose MapFolder points at it.
class TestWorkspace {
public:
    TestWorkspace();
    std::string path(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    // Opens a claim file as File > Open does; returns DetectFileVersion's result.
    bool open(const std::string& name);

    // A compact map with the fields the engine relies on, version "00301".
    static std::string testMap();

    QTemporaryDir dir;
    qm::Module1 m;
    qm::RecordingMessageSink sink;
};

// Records of the test map.
namespace rec {
std::string aa0(const std::string& submitter = "SUBMITTER01", const std::string& version = "00301");
std::string ba0(const std::string& taxId = "123456789", const std::string& last = "",
                const std::string& first = "", const std::string& org = "ORG NAME");
std::string ba1();
std::string ca0(const std::string& pcn, const std::string& last = "DOE",
                const std::string& first = "JANE");
std::string da0(int seq = 1);
std::string da1(int seq, long long paid);
std::string ea0();
std::string fa0(int seq, long long charges, long long cc = 0, long long other = 0);
std::string fb0(int seq, long long purchased, long long allowed, long long deductible,
                long long coinsurance);
std::string ha0();
struct Totals {
    int c = 0, d = 0, e = 0, f = 0, g = 0, h = 0;
    int total = -1; // -1: the sum of the six
    long long charges = 0, cc = 0, other = 0, allowed = 0, deductible = 0, coinsurance = 0,
              paid = 0, purchased = 0;
};
std::string xa0(const Totals& t);
std::string ya0();
std::string za0();
} // namespace rec
