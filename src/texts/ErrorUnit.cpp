#include "texts/ErrorUnit.h"

#include "services/UtillityUnit.h"
#include "texts/Cp1252.h"

std::wstring LogFileName;

void WriteLog(const std::wstring& text) { Utillity::AppendLogLine(LogFileName, text); }

void ReportError(const EVQError& error, const std::wstring& context) {
    try {
        const std::wstring message = error.Message() + L"\r\n" + context;
        // The standard error dialog: its caption and button are the same in every language.
        Utillity::ShowDialog(L"Error", message, DialogKind::Error, ButtonSet({dbOK}), {L"OK"}, {mrOk});
        Utillity::AppendLogLine(LogFileName, message);
        Utillity::ShowTempFile(LogFileName);
    } catch (...) {
        // The report is the last resort: a report that fails itself (no memory left for the
        // dialog) must not throw from where every other failure ends.
    }
}

EVQError AsProjectError(const std::exception& error) {
    const char* text = error.what();
    return EVQError(cp1252::ToWide(text ? text : "unknown error"));
}
