#pragma once

#include <QString>
#include <cstdint>
#include <string>

// The bytes of a claim file being put together: records ended by CR LF.
class ClaimFileText {
public:
    // Appends a record; returns the 1-based byte position it starts at.
    std::int64_t add(const std::string& line);
    // The file tree key of a record that starts at position.
    static std::string key(const std::string& type, std::int64_t position);

    const std::string& bytes() const { return bytes_; }
    void write(const QString& path) const;

private:
    std::string bytes_;
};
