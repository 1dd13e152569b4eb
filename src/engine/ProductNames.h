#pragma once
// Names the installation and the next setup must agree on: the product folder, the program file
// and the settings key with its value names. The wizard reads what the install run writes, so
// both take the names from here.

constexpr wchar_t kProductFolder[] = L"VessasQuorin";
constexpr wchar_t kProgramFile[] = L"VessasQuorin.Exe";

// The current user's settings key.
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\VessasQuorin";
// The folder values are stored crosswise (the program folder under "DataFolder"), as every
// earlier setup wrote them; the names below say which field each one holds.
constexpr wchar_t kValueOfProgramFolder[] = L"DataFolder";
constexpr wchar_t kValueOfDataFolder[] = L"ProgramFolder";
constexpr wchar_t kValueOfRemoveableProgramFolder[] = L"RemoveableDataFolder";
constexpr wchar_t kValueOfRemoveableDataFolder[] = L"RemoveableProgramFolder";
constexpr wchar_t kValueLanguage[] = L"Language";
constexpr wchar_t kValueStartMenuEntry[] = L"InstallOption_MakeStartMenuEntry";
constexpr wchar_t kValueDesktopLink[] = L"InstallOption_MakeDesktopLink";
constexpr wchar_t kValueCheckUpdates[] = L"InstallOption_CheckUpdates";
constexpr wchar_t kValueUseRemoveable[] = L"InstallOption_UseRemoveable";
constexpr wchar_t kValueDateFormat[] = L"InstallOption_DateFormat";
