#pragma once

#include <QString>
#include <cstdint>
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
    // Adds a line and returns the 1-based byte position it starts at.
    std::int64_t append(const std::string& line);
    // The file tree key of a record that starts at position: "CA0" + "967".
    static std::string key(const std::string& type, std::int64_t position);
    ClaimFileBuilder& addRaw(const std::string& bytes);
    // Byte position (1-based) at which the next line will start.
    long long nextPosition() const { return static_cast<long long>(bytes_.size()) + 1; }
    const std::string& bytes() const { return bytes_; }
    // Writes the bytes to path; a test that cannot write its file stops.
    void write(const QString& path) const;

    std::string lineEnd = "\r\n";

private:
    std::string bytes_;
};
