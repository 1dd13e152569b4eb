#pragma once
// The setup log's name and the standard error report: a modal "Error" dialog, the same text as a
// log line, and the log opened for the user.
#include <string>

#include "services/VQError.h"

// Name of the setup log inside the user's temp folder; set at start, before the form exists.
extern std::wstring LogFileName;

void ReportError(const EVQError& error, const std::wstring& context);

// Runs a guarded operation: a project error is reported (with the given context) and ends the
// operation; any other exception passes on.
template <class Body>
void Guarded(const std::wstring& context, Body&& body) {
    try {
        body();
    } catch (const EVQError& error) {
        ReportError(error, context);
    }
}
template <class Body>
void Guarded(Body&& body) {
    Guarded(std::wstring(), std::forward<Body>(body));
}
