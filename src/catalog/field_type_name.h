#pragma once

#include <cstdint>
#include <string>

namespace kolumbra {

// The text naming a field's data type; non-zero `jap` picks the Japanese names.
std::string FieldTypeName(std::int16_t type, std::int16_t jap);

// Whether `a` and `b` name the same type, one in English and the other in
// Japanese.
bool TranslatedTypeName(const std::string& a, const std::string& b);

}  // namespace kolumbra
