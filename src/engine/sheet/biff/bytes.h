#pragma once
// Little-endian reading and writing of record bodies.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace kolumbra::sheet::biff {

using Bytes = std::vector<std::uint8_t>;

// A field read past the end of a body: the record is malformed.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline void RequireSize(const Bytes& data, std::size_t pos, std::size_t count) {
    if (pos > data.size() || data.size() - pos < count) throw FormatError("record too short");
}

inline std::uint8_t GetU8(const Bytes& data, std::size_t pos) {
    RequireSize(data, pos, 1);
    return data[pos];
}

inline std::uint16_t GetU16(const Bytes& data, std::size_t pos) {
    RequireSize(data, pos, 2);
    return static_cast<std::uint16_t>(data[pos] | (data[pos + 1] << 8));
}

inline std::uint32_t GetU32(const Bytes& data, std::size_t pos) {
    RequireSize(data, pos, 4);
    return static_cast<std::uint32_t>(data[pos]) | (static_cast<std::uint32_t>(data[pos + 1]) << 8) |
           (static_cast<std::uint32_t>(data[pos + 2]) << 16) | (static_cast<std::uint32_t>(data[pos + 3]) << 24);
}

inline double GetF64(const Bytes& data, std::size_t pos) {
    RequireSize(data, pos, 8);
    double value;
    std::memcpy(&value, data.data() + pos, 8);
    return value;
}

inline void PutU16(Bytes& data, std::size_t pos, std::uint16_t value) {
    RequireSize(data, pos, 2);
    data[pos] = static_cast<std::uint8_t>(value);
    data[pos + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(Bytes& data, std::size_t pos, std::uint32_t value) {
    RequireSize(data, pos, 4);
    for (int i = 0; i < 4; ++i) data[pos + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Appends fields to a body.
class Writer {
public:
    explicit Writer(Bytes& out) : out_(out) {}
    Writer& U8(std::uint8_t v) {
        out_.push_back(v);
        return *this;
    }
    Writer& U16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Writer& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Writer& F64(double v) {
        std::uint8_t raw[8];
        std::memcpy(raw, &v, 8);
        out_.insert(out_.end(), raw, raw + 8);
        return *this;
    }
    Writer& Raw(const Bytes& bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Writer& Zeros(std::size_t count) {
        out_.insert(out_.end(), count, 0);
        return *this;
    }

private:
    Bytes& out_;
};

}  // namespace kolumbra::sheet::biff
