#include "texts/Cp1252.h"

namespace cp1252 {
namespace {
// 0x80..0x9F of Windows-1252; 0 marks the five bytes the code page leaves undefined,
// which are carried through as the C1 control of the same number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
}  // namespace

std::string FromWide(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        const auto c = static_cast<unsigned long>(w);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if ((kHigh[i] != 0 && kHigh[i] == c) || (kHigh[i] == 0 && c == 0x80UL + i)) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(mapped);
    }
    return out;
}

std::wstring ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            out.push_back(static_cast<wchar_t>(kHigh[b - 0x80]));
        else
            out.push_back(static_cast<wchar_t>(b));
    }
    return out;
}
}  // namespace cp1252
