#pragma once
// The one error type the setup reports to the user. Its message is the text the dialog and the
// setup log show, so it is built where the failure happens, with the path, key or error number.
#include <exception>
#include <string>

class EVQError : public std::exception {
public:
    explicit EVQError(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    // Narrow form for generic std::exception consumers; the setup itself reads Message().
    const char* what() const noexcept override { return "EVQError"; }

private:
    std::wstring message_;
};
