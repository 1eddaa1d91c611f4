#include "common/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace kolumbra::cp932 {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns false and leaves `in` at the
    // offending sequence when the input cannot be converted there.
    bool convert(std::string_view& in, std::string& out) {
        char buffer[256];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            int error = errno;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            in.remove_prefix(in.size() - srcLeft);
            if (rc == static_cast<std::size_t>(-1) && error != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

int CharByteLength(unsigned char lead) {
    if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) {
        return 2;
    }
    return 1;
}

std::string FromUtf8(std::string_view utf8) {
    Converter converter("CP932", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!converter.convert(utf8, out)) {
        out.push_back('?');
        std::size_t skip = utf8SequenceLength(static_cast<unsigned char>(utf8.front()));
        utf8.remove_prefix(std::min(skip, utf8.size()));
    }
    return out;
}

std::string ToUtf8(std::string_view bytes) {
    Converter converter("UTF-8", "CP932");
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    while (!converter.convert(bytes, out)) {
        out.append("\xEF\xBF\xBD");
        // A lead byte with a bad trail byte: drop only the lead, so the
        // trail byte is read again as a character of its own.
        bytes.remove_prefix(1);
    }
    return out;
}

std::string_view CutAtCharBoundary(std::string_view bytes, std::size_t limit) {
    std::size_t end = 0;
    while (end < bytes.size()) {
        std::size_t next = end + static_cast<std::size_t>(CharByteLength(static_cast<unsigned char>(bytes[end])));
        if (next > limit || next > bytes.size()) break;
        end = next;
    }
    return bytes.substr(0, end);
}

}  // namespace kolumbra::cp932
