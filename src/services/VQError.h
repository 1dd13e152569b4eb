#pragma once
// The one error type the setup reports to the user. Its message is the text the dialog and the
// setup log show, so it is built where the failure happens, with the path, key or error number.
#include <exception>
#include <string>

class EVQError : public std::exception {
public:
    explicit EVQError(std::wstring message) : message_(std::move(message)), narrow_(Utf8(message_)) {}
    const std::wstring& Message() const noexcept { return message_; }
    // The same message for generic std::exception consumers, in UTF-8.
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    static std::string Utf8(const std::wstring& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            auto cp = static_cast<unsigned long>(text[i]);
            // UTF-16 surrogate pairs (wchar_t is 16 bits on Windows) make one code point.
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<unsigned long>(text[++i]) - 0xDC00);
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (cp >> 18));
                out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
        return out;
    }

    std::wstring message_;
    std::string narrow_;
};
