#pragma once

#include <string>
#include <string_view>

namespace quillmere {

// Letter case in the single-byte code page of the lists (ISO-8859-1): A to Z and the capitals
// 0xC0 to 0xDE (not 0xD7, the multiplication sign) have small letters 0x20 above them.
constexpr bool isCapitalByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

constexpr char foldedByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return isCapitalByte(byte) ? static_cast<char>(byte + 0x20) : c;
}

bool hasCapital(std::string_view text);

// The text with every capital replaced by its small letter, written into out (reused by callers
// that fold millions of entries).
void foldInto(std::string_view text, std::string& out);

} // namespace quillmere
