#include "core/common/MessageTexts.h"

#include "core/Version.h"
#include "core/common/FileText.h"

namespace qm {

Message MessageTexts::notAnNsfFile() {
    return {"This is not an NSF file. Can not locate the AA0 record!", "Unrecognizable File",
            MessageIcon::Exclamation, MessageButtons::Ok};
}

Message MessageTexts::mapFileNotFound(const std::string& mapFileName,
                                      const std::vector<std::string>& pathsTried) {
    std::string text = "Unable to open map file: " + mapFileName + "\n\nLooked for it at:";
    for (const std::string& path : pathsTried) {
        // The root folder, or any that ends in a separator, reads "//name" joined.
        std::string shown;
        for (char c : path)
            if (c != '/' || shown.empty() || shown.back() != '/')
                shown += c;
        text += "\n" + shown;
    }
    text += "\n\n" + mapFolderHint();
    return {text, "Error Opening Map File", MessageIcon::Critical, MessageButtons::Ok};
}

std::string MessageTexts::mapFolderHint() {
    return "Name the folder of the map files with --maps DIR or the environment variable "
           "QUILLMARK_MAPS.";
}

Message MessageTexts::mapFileUnreadable(const std::string& mapFileName,
                                        const std::string& lastKey) {
    return {"Unable to read from map file @ line '" + FileText::toUtf8(lastKey) + "'",
            "Error Reading Map File: " + mapFileName, MessageIcon::Critical, MessageButtons::Ok};
}

Message MessageTexts::mapLoadFailed(const std::string& description) {
    return {description, kApplicationTitle, MessageIcon::None, MessageButtons::Ok};
}

Message MessageTexts::totalsDoNotCompute() {
    return {"XA0 Record totals do not compute!", "XA0 Record Error", MessageIcon::Exclamation,
            MessageButtons::Ok};
}

Message MessageTexts::unableToOpenFile(const std::string& path, const std::string& reason) {
    return {"Unable to open the file \"" + path + "\" for reading.\n\n" +
                (reason.empty() ? std::string("The file cannot be read.") : reason),
            "Unable to Open File", MessageIcon::Critical, MessageButtons::Ok};
}

Message MessageTexts::lfOnlyLineEnds() {
    return {"This file's lines end in LF only; NSF files end lines with CR LF. Only its first "
            "line can be read.",
            "Line Ends", MessageIcon::Information, MessageButtons::Ok};
}

Message MessageTexts::readLfAsLineEnd() {
    return {"This file's lines end in LF only, so it reads as one line. Read it with LF as the "
            "line end?",
            "Line Ends", MessageIcon::Exclamation, MessageButtons::YesNo};
}

} // namespace qm
