#pragma once

#include <cstdint>

// Invented but plausible values for generated claims. None of them belongs to
// a real person, provider or payer.
namespace nsfgen::text {

inline constexpr const char* kLastNames[] = {
    "ABERNATHY", "BALDWIN",    "CASTILLO",  "DELACROIX", "EASTMAN",   "FAIRCHILD",  "GALLOWAY",
    "HOLLIS",    "IVERSEN",    "JANSSEN",   "KOWALSKI",  "LINDQVIST", "MORROW",     "NAKAMURA",
    "OKAFOR",    "PELLETIER",  "QUINTERO",  "RASMUSSEN", "SANTORO",   "THORNBURY",  "UNDERHILL",
    "VASQUEZ",   "WAINWRIGHT", "YARBROUGH", "ZIMMERMAN", "O'DONNELL", "MCALLISTER", "DUBOIS"};

inline constexpr const char* kFirstNames[] = {
    "ADA",      "BERNARD", "CLARA",    "DESMOND", "EDITH", "FLOYD",  "GRETA",   "HOMER",
    "IRENE",    "JASPER",  "KATHLEEN", "LEON",    "MABEL", "NORRIS", "OLIVE",   "PERCY",
    "ROSALIND", "SILAS",   "THEA",     "VERNON",  "WILMA", "WALTER", "ELEANOR", "MARGUERITE"};

inline constexpr const char* kInitials[] = {"A", "B", "C", "D", "E", "J", "L", "M", "R", "T", " "};

inline constexpr const char* kStreets[] = {
    "12 ORCHARD LANE",   "4410 LAKESHORE DR", "77 MILL POND RD",       "1803 CEDAR AVE APT 4",
    "9 HARBOR VIEW CT",  "250 N MAIN ST",     "3312 PRAIRIE WIND WAY", "61 WILLOW BEND",
    "18 QUARRY HILL RD", "5025 E ELM ST",     "740 RIVERSIDE PKWY",    "2 TOWN SQUARE"};

struct Place {
    const char* city;
    const char* state;
    const char* zip;
    const char* areaCode;
};

inline constexpr Place kPlaces[] = {
    {"SPRINGFIELD", "IL", "627010000", "217"}, {"BANGOR", "ME", "044010000", "207"},
    {"FLAGSTAFF", "AZ", "860010000", "928"},   {"DULUTH", "MN", "558020000", "218"},
    {"SAVANNAH", "GA", "314010000", "912"},    {"BOISE", "ID", "837020000", "208"},
    {"CHARLESTON", "WV", "253010000", "304"},  {"ALBANY", "NY", "122070000", "518"},
    {"TOPEKA", "KS", "666030000", "785"},      {"EUGENE", "OR", "974010000", "541"}};

inline constexpr const char* kPayers[] = {"MEDICARE PART B CARRIER",   "STATE MEDICAID PROGRAM",
                                          "GREAT LAKES MUTUAL HEALTH", "PINE RIVER BENEFIT PLAN",
                                          "SUMMIT GROUP INSURANCE CO", "COASTAL HEALTH ALLIANCE"};

inline constexpr const char* kEmployers[] = {"HARLAN TOOL AND DIE", "BLUE SPRUCE SCHOOL DISTRICT",
                                             "RIVERBEND COUNTY",    "NORTHGATE LOGISTICS",
                                             "MERIDIAN FOODS INC",  "SELF EMPLOYED"};

inline constexpr const char* kClinics[] = {
    "LAKEVIEW FAMILY PRACTICE",      "VALLEY ORTHOPEDIC ASSOCIATES", "CEDAR HILLS MEDICAL GROUP",
    "NORTH SHORE INTERNAL MEDICINE", "PRAIRIE CHIROPRACTIC CLINIC",  "HARBOR PEDIATRICS PC"};

inline constexpr const char* kDiagnoses[] = {"4019",  "25000", "7862",  "72400", "V7231", "4660",
                                             "78650", "2724",  "53081", "71945", "3540",  "7840"};

struct Procedure {
    const char* hcpcs;
    const char* typeOfService;
    std::int64_t cents;
};

inline constexpr Procedure kProcedures[] = {
    {"99213", "1", 7500}, {"99214", "1", 11000}, {"99203", "1", 12500}, {"36415", "5", 1500},
    {"80053", "5", 4200}, {"85025", "5", 2800},  {"71020", "4", 9500},  {"93000", "5", 6000},
    {"97110", "1", 5200}, {"98941", "1", 6500},  {"20610", "2", 18000}, {"90658", "1", 3100},
    {"73560", "4", 8800}, {"99395", "1", 16000}, {"G0008", "1", 2500},  {"J3301", "1", 1200}};

inline constexpr const char* kModifiers[] = {"  ", "  ", "  ", "  ", "25", "59", "RT", "LT"};

inline constexpr const char* kNarratives[] = {
    "PATIENT SEEN FOR FOLLOW-UP OF CHRONIC CONDITION. RECORDS AVAILABLE ON REQUEST.",
    "SERVICE RENDERED AFTER HOURS AT PATIENT REQUEST. SEE ATTACHED NOTE FOR DETAILS.",
    "CORRECTED CLAIM: PRIOR SUBMISSION LISTED THE WRONG DATE OF SERVICE.",
    "INJECTION SUPPLIED BY THE PRACTICE; LOT NUMBER KEPT IN THE MEDICAL RECORD."};

inline constexpr const char* kSymptoms[] = {
    "LOW BACK PAIN RADIATING TO LEFT LEG AFTER LIFTING AT WORK",
    "NECK STIFFNESS AND HEADACHES SINCE MOTOR VEHICLE ACCIDENT",
    "MID BACK PAIN WORSE WHEN SEATED, RELIEVED BY WALKING"};

} // namespace nsfgen::text
