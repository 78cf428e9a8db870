#pragma once
// Conversions between the encodings met in Windows files and our UTF-8 strings.
// Invalid input never throws: bad sequences become U+FFFD.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvane::formats {

// UTF-16LE bytes (an odd trailing byte is ignored) to UTF-8.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Windows-1252 (the usual ANSI code page of type-library names) to UTF-8.
std::string Windows1252ToUtf8(std::span<const std::uint8_t> bytes);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// Decodes one code point at pos (advancing pos); U+FFFD for a bad sequence.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Letter case of A-Z only; every other byte stays as it is.
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// The value of one hexadecimal digit; -1 for any other character.
int HexDigitValue(char c);

}  // namespace korvane::formats
