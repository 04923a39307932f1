#include "core/rules/RulesError.h"

#include "core/common/FileText.h"

namespace qm {

std::string RulesError::message() const {
    std::string text = FileText::pathToUtf8(file);
    if (line > 0)
        text += ':' + std::to_string(line) + ':' + std::to_string(column);
    return text + ": " + what;
}

} // namespace qm
