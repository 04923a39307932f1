#pragma once

namespace qm {

// Upper and lower case of the characters a claim file can hold (the file
// text rule's Windows-1252 repertoire: ASCII, Latin-1 and the letters at
// 0x80-0x9F such as Š and Œ), as the find command folds them. Other
// characters, and letters without a case partner there (ß), stay as they are.
class CaseFold {
public:
    static char32_t upper(char32_t c);
    static char32_t lower(char32_t c);
};

} // namespace qm
