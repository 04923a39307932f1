#include "core/layouts/MapValueReader.h"

namespace qm {

int MapValueReader::get() {
    return std::getc(file_);
}

void MapValueReader::unget(int c) {
    if (c != EOF)
        std::ungetc(c, file_);
}

bool MapValueReader::atEnd() {
    for (;;) {
        int c = get();
        if (c == EOF)
            return true;
        if (c == ' ' || c == '\t' || ((c == '\r' || c == '\n') && !afterComma_))
            continue;
        unget(c);
        return false;
    }
}

bool MapValueReader::next(std::string& value) {
    value.clear();
    int c;
    for (;;) {
        c = get();
        if (c == EOF)
            return false;
        if (c == ' ' || c == '\t')
            continue;
        if (c == '\r' || c == '\n') {
            if (!afterComma_)
                continue; // a blank line, or the rest of a CR LF
            afterComma_ = false;
            return true; // a comma at the end of a line leaves an empty value
        }
        break;
    }
    if (c == ',') {
        afterComma_ = true;
        return true;
    }
    auto append = [&value](int ch) {
        if (value.size() < kMaxValueLength)
            value.push_back(static_cast<char>(ch));
    };
    if (c == '"') {
        while ((c = get()) != EOF && c != '"')
            append(c);
        // Whatever stands between the closing quote and the separator is dropped.
        while (c != EOF && c != ',' && c != '\r' && c != '\n')
            c = get();
    } else {
        while (c != EOF && c != ',' && c != '\r' && c != '\n') {
            append(c);
            c = get();
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
    }
    afterComma_ = c == ',';
    return true;
}

} // namespace qm
