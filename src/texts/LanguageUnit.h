#pragma once
// The setup's numbered texts in German, English, French and Spanish, and the language in force.
#include <string>

// Locale code in force ("de-DE", "de-AT", "de-CH", "en-US", "fr-FR", "es-ES"); empty until the wizard sets it.
// The wizard's captions follow it; the install run and the uninstaller name their language explicitly.
extern std::wstring CurrentLanguage;

// The texts by number, named after what they say (the English wording in the comment). The
// table in LanguageUnit.cpp is written with these names and checked against their numbers at
// compile time. Number 53 has never had a text; 75 on came after the product's first release, 76 to
// 82 with the uninstaller.
enum TextId : int {
    txProgramFolder = 1,  // Program - Folder
    txDataFolder = 2,  // Data - Folder
    txSearch = 3,  // Search...
    txCancel = 4,  // Cancel
    txInstall = 5,  // Install
    txLanguage = 6,  // Language
    txLicenceAgreement = 7,  // Licence agreement
    txFinishedOpenNow = 8,  // The installation has been finished / Do you want to open Vessa's Quorin now?
    txDirectoryNotCreated = 9,  // The directory could not be created
    txDotNetMissing = 10,  // The required component .NET 2.0 was not installed
    txAcceptAgreement = 11,  // I accept the agreement
    txRejectAgreement = 12,  // I reject the agreement
    txUpdateLacksComponents = 13,  // Required components are not contained in the update. ...
    txSelectLanguage = 14,  // Please select a language
    txCloseApplication = 15,  // Please close Vessa's Quorin before the installation
    txAgreeAndInstall = 16,  // Agree and install
    txDrive = 17,  // Drive
    txComponentsNotFound = 18,  // The required components were not found
    txInstallingComponents = 19,  // `The required components are installed...
    txCannotOpenApplication = 20,  // Vessa's Quorin could not be opened
    txRemove = 21,  // Remove
    txRemoveData = 22,  // Remove data
    txDeinstallationFinished = 23,  // The deinstallation has been finished
    txInstallationFinished = 24,  // The installation has been finished
    txArchiveIncomplete = 25,  // The data archive is not complete
    txInstallationNotFound = 26,  // The installation of Vessa's Quorin was not found. ...
    txNewerVersionInstalled = 27,  // A newer version of Vessa's Quorin has already been installed.
    txUnpacking = 28,  // unpacking...
    txLanguageInfo = 29,  // Please select the language which shall be used during the ...
    txWelcome = 30,  // Welcome to the Vessa's Quorin / Setup assistant
    txWelcomeInfo = 31,  // Vessa's Quorin is now installed on your computer. ...
    txNext = 32,  // Next >
    txBack = 33,  // < Back
    txLicenceInfo = 34,  // Please read the following important information ...
    txSelectComponents = 35,  // Select components
    txComponentsInfo = 36,  // select the components which you would like to install. ...
    txStandardInstallation = 37,  // Standard installation
    txCustomInstallation = 38,  // Custom installation
    txStartMenuEntry = 39,  // Create entry in the start menu
    txDesktopLink = 40,  // Create link at the desktop
    txRemovableInstallation = 41,  // Installation on a removable disk (USB stick)
    txProgramFiles = 42,  // Programme files (necessary)
    txRemovableTitle = 43,  // Installation on a removable disk
    txRemovableInfo = 44,  // Install Vessa's Quorin on a USB-stick. ...
    txSelectDriveInfo = 45,  // Select the drive on which you would like to install. ...
    txSelectDisk = 46,  // Please select a disk
    txSelectDestination = 47,  // Select destination folder
    txFolderInfo = 48,  // Vessa's Quorin will install the setup in the following files.
    txBrowseInfo = 49,  // Click on "Next" to continue. Click on "Browse" ...
    txUpdateNotification = 50,  // Inform about the availability of updates
    txCarryOutInstallation = 51,  // Carry out installation
    txConfirmInfo = 52,  // Click on "Install" to begin with the installation ...
    txSetupType = 54,  // Type of setup
    txSelectedComponents = 55,  // Selected components
    txInstalling = 56,  // Installing...
    txPleaseWait = 57,  // Please wait while Vessa's Quorin is installed on your computer.
    txFilesUnpacked = 58,  // Files are unpacked
    txFinishTitle = 59,  // Terminate the Vessa's Quorin setup assistant
    txFinishInfo = 60,  // Setup has completed the installation of Vessa's Quorin on your computer. ...
    txFinishHint = 61,  // Click on "Finish" in order to terminate the setup.
    txFinish = 62,  // Finish
    txExitQuestion = 63,  // The setup is not yet finished. If you terminate it now, ...
    txExitSetup = 64,  // Exit setup
    txYes = 65,  // Yes
    txNo = 66,  // No
    txErrorDuringSetup = 67,  // Error during setup
    txRepeat = 68,  // Repeat
    txInstallationSuccessful = 69,  // The installation was successful.
    txOK = 70,  // OK
    txInstallingOf = 71,  // Installing
    txDataInProgramFiles = 72,  // The data directory cannot be the Windows-Program-Folder. (no writing permissions)
    txSetDefaults = 73,  // Set defaults
    txAppDataFolder = 74,  // AppData - Folder
    txFolderNotFullPath = 75,  // The folder must be a complete path with a drive letter (C:\...) or a network path (\\server\share\...).
    txConfirmRemoval = 76,  // Do you want to remove Vessa's Quorin from your computer?
    txRemoveDataInfo = 77,  // Your own files in the data folder are kept unless you tick "Remove data"; ...
    txNotInstalled = 78,  // Vessa's Quorin is not installed on this computer.
    txRecordDamaged = 79,  // The record of the installation is damaged. Nothing was removed.
    txNotEverythingRemoved = 80,  // Not everything could be removed. The setup log lists what was left.
    txRemovableDiskAbsent = 81,  // The removable disk of the installation is not present: the files on it were left.
    txCloseBeforeRemoval = 82,  // Please close Vessa's Quorin before removing it
};

class Language {
public:
    Language() = delete;
    // The text of a number in the language in force; empty for a number without text or a
    // language the table does not know.
    static std::wstring LocalizedText(int number);
    // The same for a given locale code.
    static std::wstring LocalizedText(int number, const std::wstring& language);
};

// The text of a number in the language in force, as the wizard's captions ask for it.
inline std::wstring Text(TextId number) { return Language::LocalizedText(number); }
// The text of a number in a given language, as the install run and the uninstaller ask for it.
inline std::wstring Text(TextId number, const std::wstring& language) { return Language::LocalizedText(number, language); }
