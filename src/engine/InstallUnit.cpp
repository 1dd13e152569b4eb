// The install run: preconditions, the archive, placement, links, INI file, registry, obsolete
// files; its own error message and the progress display.
#include "engine/InstallUnit.h"

#include <windows.h>

#include <cmath>
#include <memory>
#include <vector>

#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "engine/InstallRecord.h"
#include "engine/InstallRecordFile.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"

namespace {
constexpr const wchar_t* kObsoleteFiles[] = {L"OpenNETCF.Desktop.Communication.Dll", L"VQ.Configuration.Dll",
                                             L"VQ.Utility.Dll", L"VessasQuorin.exe.manifest"};

std::int32_t RoundHalfEven(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }
}  // namespace

int ShowSetupError(InstallView& view, const std::wstring& language, const std::wstring& message, bool fatal) {
    const auto text = [&](TextId id) { return Text(id, language); };
    if (fatal) {
        view.Ask(text(txErrorDuringSetup), message, DialogKind::Information, ButtonSet({dbOK}), {text(txOK)}, {mrOk});
        return mrCancel;
    }
    // OK and Cancel as the button kinds, relabelled Repeat and Cancel: so Enter repeats and Escape
    // cancels, as their captions say, where a Cancel/Retry pair would put Escape on Repeat.
    const int answer = view.Ask(text(txErrorDuringSetup), message, DialogKind::Confirmation,
                                ButtonSet({dbOK, dbCancel}), {text(txRepeat), text(txCancel)}, {mrRetry, mrCancel});
    return answer == mrRetry ? mrRetry : mrCancel;
}

void ShowProgress(InstallView& view, const std::wstring& language, const std::wstring& message, std::int32_t done,
                  std::int32_t total) {
    const std::int32_t percent = total > 0 ? RoundHalfEven(100.0 * done / total) : 0;
    if (percent != view.ProgressPosition()) {
        WriteLog(L"Progress: " + message + L" " + std::to_wstring(percent));
        view.SetProgressPosition(percent);
    }
    view.SetLabelProgress(Text(txUnpacking, language) + L" " + std::to_wstring(RoundHalfEven(done / 1024.0)) + L"/" +
                          std::to_wstring(RoundHalfEven(total / 1024.0)) + L"KB");
    // The user can only have asked while the window was serviced, which happens right above.
    if (view.CancelRequested()) throw TRunCancelled{};
}

void DeleteObsoleteFile(const std::wstring& path) {
    Guarded(L"Delete " + path, [&] {
        if (!Utillity::FileExists(path)) return;
        if (!::DeleteFileW(path.c_str()))
            throw EVQError(L"Cannot delete " + path + L" (" + std::to_wstring(::GetLastError()) + L")");
    });
}

std::int64_t FileSizeOf(const std::wstring& path) {
    std::int64_t size = 0;
    Guarded(L"GetFileSize " + path, [&] {
        if (!Utillity::FileExists(path)) return;
        // Others may read meanwhile: the setup file itself is open while it runs, and its size is
        // what the log is meant to show.
        FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) {
            size = -1;
            return;
        }
        LARGE_INTEGER bytes{};
        size = ::GetFileSizeEx(file.get(), &bytes) ? bytes.QuadPart : -1;
    });
    return size;
}

int RunInstallation(const SetupChoices& choices, InstallView& view, const ShellFolders& shell) {
    int answer = mrAbort;
    const auto text = [&](TextId id) { return Text(id, choices.Language); };
    Guarded([&] {
        const Utillity::KeptLog log(LogFileName);
        view.EnableInputs(false);
        const std::wstring dashes(61, L'-');
        WriteLog(dashes);
        WriteLog(L"Vessa's Quorin Setup Log");
        WriteLog(dashes);
        WriteLog(L"Check IsRunning");
        const std::wstring bin = GetProgramFolder(choices, true);
        const std::wstring data = GetDataFolder(choices);
        // Each refusal answers and ends here; the inputs are unlocked after it.
        [&] {
            if (view.IsRunning()) {
                answer = ShowSetupError(view, choices.Language, text(txCloseApplication), false);
                return;
            }
            if (!CheckActualize(choices, view)) return;
            WriteLog(L"Archive: " + choices.SetupFileName);
            WriteLog(L"FileSize: " + std::to_wstring(FileSizeOf(choices.SetupFileName)));
            WriteLog(L"ProgramFolder=" + bin);
            WriteLog(L"DataFolder=" + data);
            WriteLog(L"Create PackFiles");
            TPackFiles reader([&](const std::wstring&, const std::wstring& message, std::int32_t done, std::int32_t total) {
                ShowProgress(view, choices.Language, message, done, total);
            });
            if (!choices.LanguageChosen) {
                answer = ShowSetupError(view, choices.Language, text(txSelectLanguage), false);
                return;
            }
            WriteLog(L"LanguageCombobox.ItemIndex=" +
                     std::to_wstring(LanguagePosition(choices.FileLanguage, choices.Language)));
            // What these two make is the setup's, for the record.
            const std::vector<std::wstring> missingBin = MissingFolders(bin);
            if (!Utillity::MakeFolderPath(bin)) {
                answer = ShowSetupError(view, choices.Language, text(txDirectoryNotCreated) + L"\r\n" + bin, false);
                return;
            }
            WriteLog(L"ProgramFolder OK " + bin);
            const std::vector<std::wstring> missingData = MissingFolders(data);
            if (!Utillity::MakeFolderPath(data)) {
                answer = ShowSetupError(view, choices.Language, text(txDirectoryNotCreated) + L"\r\n" + data, false);
                return;
            }
            WriteLog(L"DataFolder OK");
            view.ShowLabelProgress(true);
            // Read from the setup file rather than through the mapped resource, so the archive's
            // megabytes do not stay in memory once placed.
            const std::unique_ptr<TArchiveStream> stream = OpenResourceFileStream(nullptr, L"FILESTREAM");
            std::wstring versionName;
            if (!reader.Load(*stream, versionName)) {
                answer = ShowSetupError(view, choices.Language, text(txArchiveIncomplete), true);
            } else {
                WriteLog(L"Check VersionName");
                std::wstring installed;
                if (GetInstalledVersion(choices, installed) && IsNewerVersion(installed, versionName)) {
                    WriteLog(L"Newer Version installed " + installed + L" " + versionName);
                    answer = ShowSetupError(view, choices.Language, text(txNewerVersionInstalled) + L" (" + installed + L")",
                                            true);
                } else {
                    InstallRecord record = BeginInstallRecord(choices, shell, versionName);
                    NoteCreatedFolders(&record, missingBin);
                    NoteCreatedFolders(&record, missingData);
                    WriteLog(L"ExtractFiles");
                    try {
                        ExtractFiles(choices, view, reader, &record);
                    } catch (const TRunCancelled&) {
                        // The entry being written has removed its partial file; nothing further
                        // is placed, and no link, INI file or registry value is written. What was
                        // placed is recorded, so that a later run and its uninstaller know it.
                        WriteLog(L"Cancelled by the user");
                        SaveInstallRecord(record);
                        answer = mrCancel;
                        view.ShowLabelProgress(false);
                        return;
                    }
                    PlaceUninstaller(choices, record);
                    WriteLog(L"CreateLinks");
                    CreateLinks(choices, shell, &record);
                    WriteLog(L"MakeIniFile");
                    MakeIniFile(choices, shell, versionName, &record);
                    WriteLog(L"WriteRegistry");
                    WriteRegistry(choices, &record);
                    // Left behind by older versions of the application.
                    for (const wchar_t* name : kObsoleteFiles) {
                        WriteLog(L"RemoveFile: " + bin + name);
                        DeleteObsoleteFile(bin + name);
                        record.ForgetFile(bin + name);
                    }
                    SaveInstallRecord(record);
                    WriteLog(L"Finish");
                    answer = mrOk;
                }
            }
            view.ShowLabelProgress(false);
        }();
        view.EnableInputs(true);
    });
    return answer;
}
