#include "texts/ErrorUnit.h"

#include "services/UtillityUnit.h"

std::wstring LogFileName;

void ReportError(const EVQError& error, const std::wstring& context) {
    const std::wstring message = error.Message() + L"\r\n" + context;
    // The standard error dialog: its caption and button are the same in every language.
    Utillity::ShowDialog(L"Error", message, DialogKind::Error, ButtonSet({dbOK}), {L"OK"}, {mrOk});
    Utillity::AppendLogLine(LogFileName, message);
    Utillity::ShowTempFile(LogFileName);
}
