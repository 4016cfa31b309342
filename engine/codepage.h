#pragma once

#include "engine/status.h"

#include <string>
#include <string_view>

namespace qorvel::engine {

// Text is stored in the tables as Windows-1252 and crosses the engine's API as UTF-8.
namespace cp1252 {

// Converts stored bytes to UTF-8. Every byte has a meaning, so this cannot fail.
std::string toUtf8(std::string_view bytes);

// Converts UTF-8 to stored bytes. A character that 1252 cannot hold, or input that is
// not valid UTF-8, is refused with a message naming the character.
Result<std::string> fromUtf8(std::string_view utf8);

// Letter case of the 1252 repertoire: a-z, the accented Latin-1 letters, and
// š/Š, œ/Œ, ž/Ž, ÿ/Ÿ.
unsigned char upper(unsigned char c);
unsigned char lower(unsigned char c);
void upperInPlace(char* p, size_t n);
void lowerInPlace(char* p, size_t n);

}  // namespace cp1252
}  // namespace qorvel::engine
