#include "TwoBatchFile.h"

#include "NsfRecords.h"

namespace {

// A claim trailer stating these counts (C D E F G H) and amounts by XA0 field number.
std::string xa0(const NsfRecords& r, const std::string& pcn, const int counts[6],
                const std::map<std::string, std::string>& amounts) {
    std::map<std::string, std::string> values{{"03.0", pcn}};
    const char* ids[6] = {"04.0", "05.0", "06.0", "07.0", "08.0", "09.0"};
    int total = 0;
    for (int i = 0; i < 6; ++i) {
        values[ids[i]] = std::to_string(counts[i]);
        total += counts[i];
    }
    values["10.0"] = std::to_string(total);
    for (const char* id : {"12.0", "13.0", "14.0", "15.0", "16.0", "17.0", "18.0", "20.0"})
        values[id] = "0";
    for (const auto& [id, amount] : amounts)
        values[id] = amount;
    return r.record("XA0", values);
}

} // namespace

TwoBatchFile::TwoBatchFile(const NsfRecords& r, const Options& options) {
    aa0 = text.key("AA0", text.append(r.fileHeader("QMTESTSUB01", "00301")));
    batch1 = text.key("BA0", text.append(r.record("BA0", {{"02.0", "PROV1"},
                                                          {"06.0", "123456789"},
                                                          {"19.0", "SMITH"},
                                                          {"20.0", "JOHN"}})));

    claimALine = r.record("CA0", {{"03.0", "A001"}, {"04.0", "DOE"}, {"05.0", "JANE"}});
    claimA = text.key("CA0", text.append(claimALine));
    text.add(r.record("DA0", {{"02.0", "1"}, {"03.0", "A001"}}));
    text.add(r.record("DA1", {{"02.0", "1"}, {"03.0", "A001"}, {"14.0", "500"}}));
    std::map<std::string, std::string> firstFa0{
        {"02.0", "1"}, {"03.0", "A001"}, {"13.0", "1000"}, {"27.0", "10"}, {"28.0", "5"}};
    if (options.invalidServiceDate)
        firstFa0["05.0"] = "20231340";
    text.add(r.record("FA0", firstFa0));
    secondFa0Line = r.record("FA0", {{"02.0", "2"}, {"03.0", "A001"}, {"13.0", "2500"}});
    text.add(secondFa0Line);
    text.add(r.record("FB0", {{"02.0", "2"},
                              {"03.0", "A001"},
                              {"05.0", "300"},
                              {"06.0", "200"},
                              {"07.0", "50"},
                              {"08.0", "20"}}));
    const int countsA[6] = {1, 2, 0, 3, 0, 0};
    text.add(xa0(r, "A001", countsA,
                 {{"12.0", "3500"},
                  {"13.0", "10"},
                  {"14.0", "5"},
                  {"15.0", "200"},
                  {"16.0", "50"},
                  {"17.0", "20"},
                  {"18.0", "500"},
                  {"20.0", "300"}}));

    claimB = text.key("CA0", text.append(r.record(
                                 "CA0", {{"03.0", "B002"}, {"04.0", "ROE"}, {"05.0", "RICHARD"}})));
    text.add(r.record("FA0", {{"02.0", "1"}, {"03.0", "B002"}, {"13.0", "700"}}));
    const int countsB[6] = {1, 0, 0, 1, 0, 0};
    text.add(xa0(r, "B002", countsB, {{"12.0", "700"}}));
    text.add(r.record("YA0", {{"10.0", "2"}}));

    batch2 = text.key(
        "BA0", text.append(r.record("BA0", {{"06.0", "987654321"}, {"18.0", "GENERAL CLINIC"}})));
    text.add(r.record("BA1", {{"02.0", "PROV2"}}));
    claimC = text.key("CA0", text.append(r.record(
                                 "CA0", {{"03.0", "C003"}, {"04.0", "POE"}, {"05.0", "EDGAR"}})));
    text.add(r.record("FA0", {{"02.0", "1"}, {"03.0", "C003"}, {"13.0", "100"}}));
    const int countsC[6] = {1, 0, 0, 1, 0, 0};
    text.add(xa0(r, "C003", countsC, {{"12.0", options.wrongTotalsInC ? "101" : "100"}}));
    text.add(r.record("YA0", {{"10.0", "1"}}));
    text.add(r.record("ZA0", {{"07.0", "3"}}));
}
