#pragma once

#include <string>

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
