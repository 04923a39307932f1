#pragma once

#include <string>

namespace qm {

class LayoutCatalogue;

// The format file beside a map ("nsf0301.fmt" beside "nsf0301.map"): how the
// values of the map's fields are shown to a person. One field a line:
//
//   # comment
//   XA0 12.0 money        two implied decimal places: 0015751 is $157.51
//   FA0 18.0 tenths       one implied decimal place: 0015 is 1.5
//   CA0 08.0 date         CCYYMMDD: 19830602 is 1983-06-02
//   FA0 07.0 code 11 Office
//   FA0 07.0 code 12 Home (a line for each code and its meaning)
//
// Fields are named by record type and field number as the map gives them
// (its first definition of a number), and every line must agree with the map:
// money and tenths in number (N) fields, dates 8 characters wide, codes no
// wider than their field.
class FormatFile {
public:
    // Longer files are no format file of ours.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    // Reads formatFileName from folder (where mapFileName was read from) into
    // the fields of catalogue. True when it was read whole. A file that is
    // missing changes nothing and says nothing (it is optional); one that
    // cannot be read or does not agree with the map changes no field (every
    // value is shown as stored) and adds one warning to the catalogue saying
    // why. Lines end in CR LF, LF or CR.
    static bool load(const std::string& folder, const std::string& formatFileName,
                     const std::string& mapFileName, LayoutCatalogue& catalogue);
};

} // namespace qm
