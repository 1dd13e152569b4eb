// The uninstall run: the same setup log and header block as an install attempt, so support reads
// one file, then the installation, the question, the refusal while the application runs, the
// removal and the exit code.
#include "uninstall/Uninstaller.h"

#include <windows.h>

#include "VQVersion.h"
#include "engine/RunningCheck.h"
#include "services/FormWindow.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "uninstall/UninstallForm.h"

int ExitCodeOf(const RemovalResult& result) {
    if (!result.Failed.empty()) return ueNotEverythingRemoved;
    return result.DriveAbsent ? ueDriveAbsent : ueRemoved;
}

std::wstring UninstallTitle() { return L"VESSA'S QUORIN " VQ_VERSION_WIDE; }

RemovalOptions OptionsFor(const Installation& installation, const std::wstring& original, bool removeData) {
    RemovalOptions options;
    options.RemoveData = removeData;
    options.RunningUninstaller = original;
    options.RecordFile = installation.RecordFile;
    options.ProtectedFolders = ShellSpecialFolders();
    return options;
}

UninstallOutcome RemoveSilently(const Installation& installation, const std::wstring& original,
                                const std::wstring& language) {
    UninstallOutcome outcome;
    outcome.Record = installation.Record;
    WriteLog(L"Check IsRunning");
    // Nobody is there to close it: a silent removal refuses at once.
    if (IsApplicationRunning(nullptr)) {
        WriteLog(L"Cancelled: the application runs");
        outcome.ExitCode = ueApplicationRunning;
        return outcome;
    }
    const RemovalResult result = RemoveInstallation(installation.Record, OptionsFor(installation, original, false));
    WriteLog(L"Finish");
    if (!result.Failed.empty()) {
        std::wstring list;
        for (const std::wstring& what : result.Failed) list += L"\r\n" + what;
        ReportError(EVQError(Text(txNotEverythingRemoved, language) + list), L"");
    }
    outcome.ExitCode = ExitCodeOf(result);
    outcome.InstallationGone = result.EntryRemoved;
    return outcome;
}

UninstallOutcome RunUninstall(const std::wstring& original, bool silent) {
    UninstallOutcome outcome;
    const std::wstring dashes(61, L'-');
    WriteLog(dashes);
    WriteLog(L"Vessa's Quorin Setup Log");
    WriteLog(dashes);
    WriteLog(L"Uninstall: " + original + (silent ? L" silent" : L""));
    const std::wstring language = UninstallLanguage();
    Installation installation;
    try {
        installation = FindInstallation(original, ShellFolders::OfThisUser(), BuiltInPayloadEntries());
    } catch (const EVQError& error) {
        // A record that cannot be read says nothing for certain: nothing is removed.
        ReportError(EVQError(Text(txRecordDamaged, language) + L"\r\n" + error.Message()), L"");
        return outcome;
    }
    if (installation.Kind == InstallationKind::None) {
        WriteLog(L"NotInstalled");
        if (!silent)
            Utillity::ShowDialog(UninstallTitle(), Text(txNotInstalled, language), DialogKind::Information,
                                 ButtonSet({dbOK}), {Text(txOK, language)}, {mrOk});
        outcome.ExitCode = ueNotInstalled;
        return outcome;
    }
    WriteLog(installation.Kind == InstallationKind::Recorded
                 ? L"InstallRecord: " + installation.RecordFile
                 : L"InstallRecord: none; the setup's entry list and settings stand for it");
    if (silent) return RemoveSilently(installation, original, language);

    std::unique_ptr<TVQUninstallForm> form;
    try {
        form = std::make_unique<TVQUninstallForm>(language, installation, original);
    } catch (const EVQError& error) {
        ReportError(error, L"");
        return outcome;
    }
    form->QuitOnClose = true;
    form->Show();
    RunFormMessageLoop(*form);
    outcome.ExitCode = form->ExitCode();
    outcome.InstallationGone = form->Result() && form->Result()->EntryRemoved;
    outcome.Record = form->TheInstallation().Record;
    return outcome;
}
