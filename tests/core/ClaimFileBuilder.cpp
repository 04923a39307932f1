#include "ClaimFileBuilder.h"

#include "core/layouts/VersionDetector.h"

#include <QFile>
#include <cstdio>

std::string ClaimFileBuilder::record(const std::string& type,
                                     const std::vector<std::pair<int, std::string>>& values,
                                     std::size_t length) {
    std::string line(length, ' ');
    line.replace(0, type.size(), type);
    for (const auto& [column, text] : values)
        line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
    line.resize(length, ' ');
    return line;
}

std::string ClaimFileBuilder::digits(long long value, int width) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    return buf;
}

ClaimFileBuilder& ClaimFileBuilder::add(const std::string& line) {
    bytes_ += line;
    bytes_ += lineEnd;
    return *this;
}

ClaimFileBuilder& ClaimFileBuilder::addRaw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}

TestWorkspace::TestWorkspace() {
    m.MapFolder = dir.path().toStdString();
    write("nsf0301.map", testMap());
}

std::string TestWorkspace::path(const std::string& name) const {
    return m.MapFolder + "/" + name;
}

void TestWorkspace::write(const std::string& name, const std::string& bytes) const {
    QFile f(QString::fromStdString(path(name)));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file");
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool TestWorkspace::open(const std::string& name) {
    m.Files.close(m.FileNumber);
    m.FileNumber = m.Files.FreeFile();
    m.FileName = path(name);
    if (!m.Files.open(m.FileNumber, m.FileName))
        return false;
    return qm::DetectFileVersion(m, m.FileNumber, sink);
}

std::string TestWorkspace::testMap() {
    return "AA0,01.0,RECORD ID,3,XR,1,3\n"
           "AA0,02.0,SUBMITTER ID,16,X,4,19\n"
           "AA0,03.0,VERSION CODE,5,X,244,248\n"
           "AA0,04.0,FILLER,72,X,249,320\n"
           "BA0,01.0,RECORD ID,3,X,1,3\n"
           "BA0,02.0,TAX ID,15,X,32,46\n"
           "BA0,03.0,FILLER,274,X,47,320\n"
           "BA1,01.0,RECORD ID,3,X,1,3\n"
           "BA1,02.0,FILLER,317,X,4,320\n"
           "CA0,01.0,RECORD ID,3,X,1,3\n"
           "CA0,02.0,PATIENT CONTROL NO,17,XR,6,22\n"
           "CA0,03.0,LAST NAME,20,X,23,42\n"
           "CA0,04.0,FIRST NAME,12,X,43,54\n"
           "CA0,05.0,BIRTH DATE,8,D,55,62\n"
           "DA0,01.0,RECORD ID,3,X,1,3\n"
           "DA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "DA1,01.0,RECORD ID,3,X,1,3\n"
           "DA1,02.0,SEQUENCE NO,2,N,4,5\n"
           "DA1,14.0,PAYER AMOUNT PAID,7,N,149,155\n"
           "EA0,01.0,RECORD ID,3,X,1,3\n"
           "FA0,01.0,RECORD ID,3,X,1,3\n"
           "FA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "FA0,13.0,LINE CHARGES,7,N,71,77\n"
           "FA0,27.0,DISALLOWED COST CONTAINMENT,7,N,126,132\n"
           "FA0,28.0,DISALLOWED OTHER,7,N,133,139\n"
           "FB0,01.0,RECORD ID,3,X,1,3\n"
           "FB0,02.0,SEQUENCE NO,2,N,4,5\n"
           "FB0,05.0,PURCHASED SERVICE CHARGE,7,N,40,46\n"
           "FB0,06.0,ALLOWED AMOUNT,7,N,47,53\n"
           "FB0,07.0,DEDUCTIBLE AMOUNT,7,N,54,60\n"
           "FB0,08.0,COINSURANCE AMOUNT,7,N,61,67\n"
           "HA0,01.0,RECORD ID,3,X,1,3\n"
           "HA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "XA0,01.0,RECORD ID,3,X,1,3\n"
           "XA0,04.0,C COUNT,2,N,23,24\n"
           "XA0,05.0,D COUNT,2,N,25,26\n"
           "XA0,06.0,E COUNT,2,N,27,28\n"
           "XA0,07.0,F COUNT,2,N,29,30\n"
           "XA0,08.0,G COUNT,2,N,31,32\n"
           "XA0,09.0,H COUNT,2,N,33,34\n"
           "XA0,10.0,RECORD COUNT,3,N,35,37\n"
           "XA0,11.0,RESERVED,40,X,38,77\n"
           "XA0,12.0,TOTAL CHARGES,7,N,78,84\n"
           "XA0,13.0,TOTAL DISALLOWED CC,7,N,85,91\n"
           "XA0,14.0,TOTAL DISALLOWED OTHER,7,N,92,98\n"
           "XA0,15.0,TOTAL ALLOWED,7,N,99,105\n"
           "XA0,16.0,TOTAL DEDUCTIBLE,7,N,106,112\n"
           "XA0,17.0,TOTAL COINSURANCE,7,N,113,119\n"
           "XA0,18.0,TOTAL PAYER PAID,7,N,120,126\n"
           "XA0,19.0,PATIENT PAID,7,N,127,133\n"
           "XA0,20.0,TOTAL PURCHASED SERVICE,7,N,134,140\n"
           "YA0,01.0,RECORD ID,3,X,1,3\n"
           "ZA0,01.0,RECORD ID,3,X,1,3\n";
}

namespace rec {
using B = ClaimFileBuilder;

std::string aa0(const std::string& submitter, const std::string& version) {
    return B::record("AA0", {{4, submitter}, {244, version}, {249, version}});
}
std::string ba0(const std::string& taxId, const std::string& last, const std::string& first,
                const std::string& org) {
    return B::record("BA0", {{32, taxId}, {165, org}, {198, last}, {218, first}});
}
std::string ba1() {
    return B::record("BA1", {{4, "PROVIDER"}});
}
std::string ca0(const std::string& pcn, const std::string& last, const std::string& first) {
    return B::record("CA0", {{6, pcn}, {23, last}, {43, first}, {55, "19700101"}});
}
std::string da0(int seq) {
    return B::record("DA0", {{4, B::digits(seq, 2)}});
}
std::string da1(int seq, long long paid) {
    return B::record("DA1", {{4, B::digits(seq, 2)}, {149, B::digits(paid, 7)}});
}
std::string ea0() {
    return B::record("EA0");
}
std::string fa0(int seq, long long charges, long long cc, long long other) {
    return B::record("FA0", {{4, B::digits(seq, 2)},
                             {71, B::digits(charges, 7)},
                             {126, B::digits(cc, 7)},
                             {133, B::digits(other, 7)}});
}
std::string fb0(int seq, long long purchased, long long allowed, long long deductible,
                long long coinsurance) {
    return B::record("FB0", {{4, B::digits(seq, 2)},
                             {40, B::digits(purchased, 7)},
                             {47, B::digits(allowed, 7)},
                             {54, B::digits(deductible, 7)},
                             {61, B::digits(coinsurance, 7)}});
}
std::string ha0() {
    return B::record("HA0", {{4, "01"}});
}
std::string xa0(const Totals& t) {
    int total = t.total >= 0 ? t.total : t.c + t.d + t.e + t.f + t.g + t.h;
    return B::record("XA0", {{23, B::digits(t.c, 2)},
                             {25, B::digits(t.d, 2)},
                             {27, B::digits(t.e, 2)},
                             {29, B::digits(t.f, 2)},
                             {31, B::digits(t.g, 2)},
                             {33, B::digits(t.h, 2)},
                             {35, B::digits(total, 3)},
                             {78, B::digits(t.charges, 7)},
                             {85, B::digits(t.cc, 7)},
                             {92, B::digits(t.other, 7)},
                             {99, B::digits(t.allowed, 7)},
                             {106, B::digits(t.deductible, 7)},
                             {113, B::digits(t.coinsurance, 7)},
                             {120, B::digits(t.paid, 7)},
                             {127, B::digits(0, 7)},
                             {134, B::digits(t.purchased, 7)}});
}
std::string ya0() {
    return B::record("YA0");
}
std::string za0() {
    return B::record("ZA0");
}
} // namespace rec
