#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace contestlog {

bool IsUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // ASCII eight bytes at a time: most of a log is.
        quint64 word;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ull) == 0)) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        // The lead byte says how many continuation bytes follow; overlong forms and
        // surrogates are no UTF-8.
        int more = 0;
        uint code = 0;
        if ((*p & 0xE0) == 0xC0)
            more = 1, code = *p & 0x1F;
        else if ((*p & 0xF0) == 0xE0)
            more = 2, code = *p & 0x0F;
        else if ((*p & 0xF8) == 0xF0)
            more = 3, code = *p & 0x07;
        else
            return false;
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        static constexpr uint kLeast[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString DecodeLogText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return IsUtf8(bytes) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

std::optional<double> DecimalNumber(QByteArrayView text) {
    text = text.trimmed();
    const bool plain = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
    });
    if (!plain)
        return std::nullopt;
    const char* from = text.data() + (text[0] == '+'); // from_chars takes no '+'
    const char* end = text.data() + text.size();
    double value = 0;
    const auto [stop, error] = std::from_chars(from, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> DecimalNumber(QStringView text) {
    text = text.trimmed();
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 127; }))
        return std::nullopt;
    return DecimalNumber(QByteArrayView(text.toLatin1()));
}

} // namespace contestlog
