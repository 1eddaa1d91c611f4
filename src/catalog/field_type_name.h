#pragma once

#include <cstdint>
#include <string>

namespace kolumbra {

// The text naming a field's data type; non-zero `jap` picks the Japanese names.
std::string FieldTypeName(std::int16_t type, std::int16_t jap);

}  // namespace kolumbra
