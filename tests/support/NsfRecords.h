#pragma once

#include <map>
#include <memory>
#include <string>

namespace qm {
class LayoutCatalogue;
}

// Builds 320-character records at the columns of a real map file, so that the
// tests put every value where the command-line tool will look for it.
class NsfRecords {
public:
    // Loads mapFile (e.g. "nsf0301.map") from mapsDir; aborts the test run if it fails.
    NsfRecords(const std::string& mapsDir, const std::string& mapFile);
    ~NsfRecords();

    // A record of this type: blanks, the type in columns 1-3, and each value in
    // its field by field number ("13.0"). Digits in a numeric field are
    // right-justified and zero-filled, anything else is left-justified.
    std::string record(const std::string& type,
                       const std::map<std::string, std::string>& values = {}) const;

    // A file header with every required field filled in.
    std::string fileHeader(const std::string& submitter, const std::string& version) const;

    // A file of one batch and one claim whose patient name holds a terminal's
    // escape sequence, a bell and a line feed: kControlName.
    std::string claimWithControlCharacters() const;
    static constexpr const char* kControlName = "X\x1b]0;pwn\x07\nY";

    // The field's 1-based first column, length and name.
    int start(const std::string& type, const std::string& fieldId) const;
    int length(const std::string& type, const std::string& fieldId) const;
    std::string name(const std::string& type, const std::string& fieldId) const;
    // The field's position in its type's field table (1-based).
    int slot(const std::string& type, const std::string& fieldId) const;

private:
    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
};
