#pragma once
// The one error type the setup reports to the user. Its message is the text the dialog and the
// setup log show, so it is built where the failure happens, with the path, key or error number.
#include <exception>
#include <string>

#include "texts/Utf8.h"

class EVQError : public std::exception {
public:
    explicit EVQError(std::wstring message) : message_(std::move(message)), narrow_(EncodeUtf8(message_)) {}
    const std::wstring& Message() const noexcept { return message_; }
    // The same message for generic std::exception consumers, in UTF-8.
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};
