#include "TestRecords.h"

#include "ClaimFileBuilder.h"

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
