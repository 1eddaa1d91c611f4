#pragma once
// RK values: the compact number form of RK and MULRK cells.

#include <cstdint>
#include <cstring>

namespace kolumbra::sheet::biff {

// Bit 1 marks a 30-bit integer, else the top 30 bits of a double; bit 0
// divides either by 100.
inline double DecodeRk(std::uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, 8);
    }
    return (rk & 0x01) ? value / 100 : value;
}

}  // namespace kolumbra::sheet::biff
