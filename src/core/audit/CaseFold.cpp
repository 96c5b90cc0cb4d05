#include "core/audit/CaseFold.h"

#include <algorithm>

namespace quillmere {

bool hasCapital(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return isCapitalByte(static_cast<unsigned char>(c)); });
}

void foldInto(std::string_view text, std::string& out) {
    out.resize(text.size());
    std::transform(text.begin(), text.end(), out.begin(), foldedByte);
}

} // namespace quillmere
