#pragma once
// The setup log's name and the standard error report: a modal "Error" dialog, the same text as a
// log line, and the log opened for the user.
#include <exception>
#include <string>

#include "services/VQError.h"

// Name of the setup log inside the user's temp folder; set at start, before the form exists. One
// per process by nature: every part of the program (and every run of it) writes the same log.
extern std::wstring LogFileName;

// Appends one time-stamped line to the setup log; a line that cannot be written is lost silently.
void WriteLog(const std::wstring& text);

// The standard error report. Every part of the program reports through it, the install run too:
// it is the one error report of the process, as the log is its one log.
void ReportError(const EVQError& error, const std::wstring& context);

// The project's error for any standard exception (an allocation that failed, a container
// index out of range): its message is what() as far as it can be read.
EVQError AsProjectError(const std::exception& error);

// Runs a guarded operation: a project error, or any other standard exception, is reported (with
// the given context) and ends the operation. Anything else passes on to the callback boundary.
template <class Body>
void Guarded(const std::wstring& context, Body&& body) {
    try {
        body();
    } catch (const EVQError& error) {
        ReportError(error, context);
    } catch (const std::exception& error) {
        ReportError(AsProjectError(error), context);
    }
}
template <class Body>
void Guarded(Body&& body) {
    Guarded(std::wstring(), std::forward<Body>(body));
}

// For the places where Windows calls into the setup (window and dialog procedures, enumeration
// callbacks): nothing may unwind through the system's frames. Whatever the body throws is
// reported and the callback answers fallback.
template <class Result, class Body>
Result CallbackGuard(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (const EVQError& error) {
        ReportError(error, L"");
    } catch (const std::exception& error) {
        ReportError(AsProjectError(error), L"");
    } catch (...) {
        ReportError(EVQError(L"Unexpected error"), L"");
    }
    return fallback;
}
