// The numbered texts of the setup's user interface in German, English,
// French and Spanish. Callers ask by number; the language is read afresh on
// every call so that switching languages only needs a re-fill of the captions.
//
// Every text must stay representable in Windows-1252: the setup log, which
// repeats some of them, is written in that code page.

#include "texts/LanguageUnit.h"

#include <array>
#include <cstddef>
#include <string_view>

std::wstring CurrentLanguage;

namespace {

struct Candidate {
    std::wstring_view tag;
    const wchar_t* text;
};

struct TextRow {
    int number;
    std::array<Candidate, 4> candidates;
};

// One German text serves all three German locales, hence the bare "de".
constexpr std::wstring_view De = L"de";
constexpr std::wstring_view EnUs = L"en-US";
constexpr std::wstring_view FrFr = L"fr-FR";
constexpr std::wstring_view EsEs = L"es-ES";

// Some wordings look odd (spelling, double or trailing blanks, the leading
// backquote of 19, French words in the Spanish column); they are the wording
// the product ships with and are kept character for character. There is no
// text under number 53.
constexpr TextRow Texts[] = {
    {txProgramFolder, {{
        {De,   L"Programm - Ordner"},
        {EnUs, L"Program - Folder"},
        {FrFr, L"Programme - Dossier"},
        {EsEs, L"Programa - Carpeta"},
    }}},
    {txDataFolder, {{
        {De,   L"Daten - Ordner"},
        {EnUs, L"Data - Folder"},
        {FrFr, L"Données - Dossier"},
        {EsEs, L"Datos - Carpeta"},
    }}},
    {txSearch, {{
        {De,   L"Durchsuchen..."},
        {EnUs, L"Search..."},
        {FrFr, L"Parcourir..."},
        {EsEs, L"Examinar..."},
    }}},
    {txCancel, {{
        {De,   L"Abbrechen"},
        {EnUs, L"Cancel"},
        {FrFr, L"Annuler"},
        {EsEs, L"Cancelar"},
    }}},
    {txInstall, {{
        {De,   L"Installieren"},
        {EnUs, L"Install"},
        {FrFr, L"Installer"},
        {EsEs, L"Instalar"},
    }}},
    {txLanguage, {{
        {De,   L"Sprache"},
        {EnUs, L"Language"},
        {FrFr, L"Langue"},
        {EsEs, L"Idioma"},
    }}},
    {txLicenceAgreement, {{
        {De,   L"Lizenzvereinbarung"},
        {EnUs, L"Licence agreement"},
        {FrFr, L"Contrat de licence"},
        {EsEs, L"Contrato de licencia"},
    }}},
    {txFinishedOpenNow, {{
        {De,   L"Die Installation ist beendet\r\nSoll Vessa's Quorin jetzt göeffnet werden?"},
        {EnUs, L"The installation has been finished\r\nDo you want to open Vessa's Quorin now?"},
        {FrFr, L"L'installation était terminée\r\nVoulez-vous ouvrir Vessa's Quorin maintenant?"},
        {EsEs, L"¿La instalación fue terminada\r\nQuiere abrir Vessa's Quorin ahora?"},
    }}},
    {txDirectoryNotCreated, {{
        {De,   L"Das Verzeichnis kann nicht erstellt werden"},
        {EnUs, L"The directory could not be created"},
        {FrFr, L"Le répertoire n'a pas pu être créé"},
        {EsEs, L"No se pudo crear el directorio"},
    }}},
    {txDotNetMissing, {{
        {De,   L"Die erforderliche Komponente .NET 2.0 wurde nicht installiert"},
        {EnUs, L"The required component .NET 2.0 was not installed"},
        {FrFr, L"Le composant requis .NET 2.0 n'a pas été installé"},
        {EsEs, L"El componente necesario .NET 2.0 no se ha instalado"},
    }}},
    {txAcceptAgreement, {{
        {De,   L"Ich akzeptiere die Vereinbarung"},
        {EnUs, L"I accept the agreement"},
        {FrFr, L"J'accepte le contrat"},
        {EsEs, L"Acepto el contrato"},
    }}},
    {txRejectAgreement, {{
        {De,   L"Ich lehne die Vereinbarung ab"},
        {EnUs, L"I reject the agreement"},
        {FrFr, L"Je refuse le contrat"},
        {EsEs, L"Rechazo el contrato"},
    }}},
    {txUpdateLacksComponents, {{
        {De,   L"Erforderliche Komponenten sind im Update nicht enthalten. Installieren Sie die Vollversion"},
        {EnUs, L"Required components are not contained in the update. Please install the full version"},
        {FrFr, L"Des composants requis ne sont pas contenus dans la mise à jour. Veuillez installer la version complète"},
        {EsEs, L"Los componentes necesarios no están incluidos en la actualización. Por favor, instale la versión completa"},
    }}},
    {txSelectLanguage, {{
        {De,   L"Bitte wählen Sie eine Sprache aus"},
        {EnUs, L"Please select a language"},
        {FrFr, L"Veuillez sélectionner une langue"},
        {EsEs, L"Por favor, seleccione un idioma"},
    }}},
    {txCloseApplication, {{
        {De,   L"Bitte schließen Sie Vessa's Quorin vor der Installation"},
        {EnUs, L"Please close Vessa's Quorin before the installation"},
        {FrFr, L"Veuillez fermer Vessa's Quorin avant l'installation"},
        {EsEs, L"Por favor, cierre Vessa's Quorin antes de la instalación"},
    }}},
    {txAgreeAndInstall, {{
        {De,   L"Zustimmen und installieren"},
        {EnUs, L"Agree and install"},
        {FrFr, L"Accepter et installer"},
        {EsEs, L"Aceptar e instalar"},
    }}},
    {txDrive, {{
        {De,   L"Laufwerk"},
        {EnUs, L"Drive"},
        {FrFr, L"Lecteur"},
        {EsEs, L"Unidad"},
    }}},
    {txComponentsNotFound, {{
        {De,   L"Erforderliche Komponeten wurden nicht gefunden"},
        {EnUs, L"The required components were not found"},
        {FrFr, L"Les composants requis n'ont pas été trouvés"},
        {EsEs, L"No se encontraron los componentes necesarios"},
    }}},
    {txInstallingComponents, {{
        {De,   L"Erforderliche Komponenten werden installiert..."},
        {EnUs, L"`The required components are installed..."},
        {FrFr, L"Les composants requis sont en cours d'installation..."},
        {EsEs, L"Se están instalando los componentes necesarios..."},
    }}},
    {txCannotOpenApplication, {{
        {De,   L"Vessa's Quorin konnte nicht geöffnet werden"},
        {EnUs, L"Vessa's Quorin could not be opened"},
        {FrFr, L"Vessa's Quorin n'a pas pu être ouvert"},
        {EsEs, L"No se pudo abrir Vessa's Quorin"},
    }}},
    {txRemove, {{
        {De,   L"Entfernen"},
        {EnUs, L"Remove"},
        {FrFr, L"Supprimer"},
        {EsEs, L"Eliminar"},
    }}},
    {txRemoveData, {{
        {De,   L"Daten entfernen"},
        {EnUs, L"Remove data"},
        {FrFr, L"Supprimer les données"},
        {EsEs, L"Eliminar los datos"},
    }}},
    {txDeinstallationFinished, {{
        {De,   L"Die Deinstallation ist abgeschlossen"},
        {EnUs, L"The deinstallation has been finished"},
        {FrFr, L"La désinstallation est terminée"},
        {EsEs, L"La desinstalación ha finalizado"},
    }}},
    {txInstallationFinished, {{
        {De,   L"Die Installation ist beendet"},
        {EnUs, L"The installation has been finished"},
        {FrFr, L"L'installation est terminée"},
        {EsEs, L"La instalación ha finalizado"},
    }}},
    {txArchiveIncomplete, {{
        {De,   L"Das Datenarchiv ist nicht vollständig"},
        {EnUs, L"The data archive is not complete"},
        {FrFr, L"L'archive de données n'est pas complète"},
        {EsEs, L"El archivo de datos no está completo"},
    }}},
    {txInstallationNotFound, {{
        {De,   L"Die Installation von Vessa's Quorin wurde nicht gefunden\r\nEin Update ist nicht möglich"},
        {EnUs, L"The installation of Vessa's Quorin was not found.\r\n An update is not possible."},
        {FrFr, L"L'installation de Vessa's Quorin n'a pas été trouvée.\r\nUne mise à jour n'est pas possible."},
        {EsEs, L"No se encontró la instalación de Vessa's Quorin.\r\nNo es posible realizar una actualización."},
    }}},
    {txNewerVersionInstalled, {{
        {De,   L"Es ist bereits eine neuere Version von Vessa's Quorin installiert."},
        {EnUs, L"A newer version of Vessa's Quorin has already been installed."},
        {FrFr, L"Une version plus récente de Vessa's Quorin est déjà installée."},
        {EsEs, L"Ya se ha instalado una versión más reciente de Vessa's Quorin."},
    }}},
    {txUnpacking, {{
        {De,   L"entpacke..."},
        {EnUs, L"unpacking..."},
        {FrFr, L"décompression..."},
        {EsEs, L"descomprimiendo..."},
    }}},
    {txLanguageInfo, {{
        {De,   L"Wählen Sie die Sprache aus, die während der \r\nInstallation benutzt werden soll."},
        {EnUs, L"Please select the language which shall be used during the  installation"},
        {FrFr, L"Veuillez sélectionner la langue à utiliser pendant l'installation"},
        {EsEs, L"Por favor, seleccione el idioma que se utilizará durante la instalación"},
    }}},
    {txWelcome, {{
        {De,   L"Willkommen zum Vessa's Quorin\r\nSetup-Assistenten"},
        {EnUs, L"Welcome to the Vessa's Quorin\r\nSetup assistant"},
        {FrFr, L"Bienvenu à l'assistant d'installation\r\nde Vessa's Quorin"},
        {EsEs, L"Bienvenido al 'asistente de instalación\r\nde Vessa's Quorin"},
    }}},
    {txWelcomeInfo, {{
        {De,   L"Es wird jetzt Vessa's Quorin auf Ihrem Computer installiert. \"Weiter\" zum fortfahren, \"Abbrechen\" zum Verlassen."},
        {EnUs, L"Vessa's Quorin is now installed on your computer. \"Next\" to continue, \"Cancel\" to quit"},
        {FrFr, L"Vessa's Quorin va maintenant être installé sur votre ordinateur. \"Continuer\" pour poursuivre, \"Annuler\" pour quitter"},
        {EsEs, L"Ahora se instalará Vessa's Quorin en su equipo. \"Siguiente\" para continuar, \"Cancelar\" para salir"},
    }}},
    {txNext, {{
        {De,   L"Weiter >"},
        {EnUs, L"Next >"},
        {FrFr, L"Continuer >"},
        {EsEs, L"Siguiente >"},
    }}},
    {txBack, {{
        {De,   L"< Zurück"},
        {EnUs, L"< Back"},
        {FrFr, L"< Retour"},
        {EsEs, L"< Atrás"},
    }}},
    {txLicenceInfo, {{
        {De,   L"Lesen Sie bitte die folgende wichtige Informationen bevor Sie fortfahren. Benutzen Sie bei Bedarf die Bildlaufleiste oder drücken Sie die \"Bild ab\" Taste."},
        {EnUs, L"Please read the following important information before continuing. If necessary use the scroll bar or press the \"page up\" key"},
        {FrFr, L"Veuillez lire les informations importantes suivantes avant de continuer. Si nécessaire, utilisez la barre de défilement ou appuyez sur la touche \"Page précédente\""},
        {EsEs, L"Por favor, lea la siguiente información importante antes de continuar. Si es necesario, utilice la barra de desplazamiento o pulse la tecla \"Re Pág\""},
    }}},
    {txSelectComponents, {{
        {De,   L"Komonenten auswählen"},
        {EnUs, L"Select components"},
        {FrFr, L"Sélectionner les composants"},
        {EsEs, L"Seleccionar componentes"},
    }}},
    {txComponentsInfo, {{
        {De,   L"Wählen Sie die Komponenten aus, die Sie installieren möchten. Klicken Sie auf \"Weiter\", wenn Sie bereit sind fortzufahren."},
        {EnUs, L"select the components which you would like to install. Click on \"Next\" if you are prepared to continue"},
        {FrFr, L"Sélectionnez les composants que vous souhaitez installer. Cliquez sur \"Continuer\" si vous êtes prêt à poursuivre"},
        {EsEs, L"Seleccione los componentes que desea instalar. Haga clic en \"Siguiente\" si está preparado para continuar"},
    }}},
    {txStandardInstallation, {{
        {De,   L"Standardinstallation"},
        {EnUs, L"Standard installation"},
        {FrFr, L"Installation standard"},
        {EsEs, L"Instalación estándar"},
    }}},
    {txCustomInstallation, {{
        {De,   L"Benutzerdefinierte Installation"},
        {EnUs, L"Custom installation"},
        {FrFr, L"Installation personnalisée"},
        {EsEs, L"Instalación personalizada"},
    }}},
    {txStartMenuEntry, {{
        {De,   L"Eintrag im Startmenü erstellen"},
        {EnUs, L"Create entry in the start menu"},
        {FrFr, L"Créer une entrée dans le menu Démarrer"},
        {EsEs, L"Crear una entrada en el menú Inicio"},
    }}},
    {txDesktopLink, {{
        {De,   L"Verknüpfung am Desktop erstellen"},
        {EnUs, L"Create link at the desktop"},
        {FrFr, L"Créer un raccourci sur le bureau"},
        {EsEs, L"Crear un acceso directo en el escritorio"},
    }}},
    {txRemovableInstallation, {{
        {De,   L"Installation auf einem Wechseldatenträger (USB-Stick)"},
        {EnUs, L"Installation on a removable disk (USB stick)"},
        {FrFr, L"Installation sur un support amovible (clé USB)"},
        {EsEs, L"Instalación en un disco extraíble (memoria USB)"},
    }}},
    {txProgramFiles, {{
        {De,   L"Programmdateien (erforderlich)"},
        {EnUs, L"Programme files (necessary)"},
        {FrFr, L"Fichiers du programme (nécessaires)"},
        {EsEs, L"Archivos del programa (necesarios)"},
    }}},
    {txRemovableTitle, {{
        {De,   L"Installation auf einem Wechseldatenträger"},
        {EnUs, L"Installation on a removable disk"},
        {FrFr, L"Installation sur un support amovible"},
        {EsEs, L"Instalación en un disco extraíble"},
    }}},
    {txRemovableInfo, {{
        {De,   L"Vessa's Quorin auf einem USB-Stick installieren. Damit können Sie einfach auf mehreren Computern mit Vessa's Quorin arbeiten und haben Zugriff auf Ihre Daten."},
        {EnUs, L"Install Vessa's Quorin on a USB-stick. This enables you to easily work with Vessa's Quorin on several computers and to have access to your data."},
        {FrFr, L"Installez Vessa's Quorin sur une clé USB. Vous pourrez ainsi travailler facilement avec Vessa's Quorin sur plusieurs ordinateurs et avoir accès à vos données."},
        {EsEs, L"Instale Vessa's Quorin en una memoria USB. Así podrá trabajar fácilmente con Vessa's Quorin en varios equipos y tener acceso a sus datos."},
    }}},
    {txSelectDriveInfo, {{
        {De,   L"Wählen Sie das Laufwerk aus, auf dem Sie installieren möchten. Klicken Sie auf \"Weiter\", wenn Sie bereit sind fortzufahren."},
        {EnUs, L"Select the drive on which you would like to install. Click \"next\" if you are ready to continue."},
        {FrFr, L"Sélectionnez le lecteur sur lequel vous souhaitez installer. Cliquez sur \"Continuer\" si vous êtes prêt à poursuivre."},
        {EsEs, L"Seleccione la unidad en la que desea instalar. Haga clic en \"Siguiente\" si está listo para continuar."},
    }}},
    {txSelectDisk, {{
        {De,   L"Bitte wählen Sie ein Laufwerk aus."},
        {EnUs, L"Please select a disk"},
        {FrFr, L"Veuillez sélectionner un lecteur"},
        {EsEs, L"Por favor, seleccione una unidad"},
    }}},
    {txSelectDestination, {{
        {De,   L"Ziel-Ordner wählen"},
        {EnUs, L"Select destination folder"},
        {FrFr, L"Sélectionner le dossier de destination"},
        {EsEs, L"Seleccionar la carpeta de destino"},
    }}},
    {txFolderInfo, {{
        {De,   L"Das Setup wird Vessa's Quorin in die folgenden Ordner installieren."},
        {EnUs, L"Vessa's Quorin will install the setup in the following files."},
        {FrFr, L"Le programme d'installation va installer Vessa's Quorin dans les dossiers suivants."},
        {EsEs, L"El programa de instalación instalará Vessa's Quorin en las siguientes carpetas."},
    }}},
    {txBrowseInfo, {{
        {De,   L"Klicken Sie auf \"Weiter\", um fortzufahren. Klicken Sie auf \"Durchsuchen\", falls Sie einen anderen Ordner wählen möchten."},
        {EnUs, L"Click on \"Next\" to continue. Click on \"Browse\" if you would like to select another file."},
        {FrFr, L"Cliquez sur \"Continuer\" pour poursuivre. Cliquez sur \"Parcourir\" si vous souhaitez sélectionner un autre dossier."},
        {EsEs, L"Haga clic en \"Siguiente\" para continuar. Haga clic en \"Examinar\" si desea seleccionar otra carpeta."},
    }}},
    {txUpdateNotification, {{
        {De,   L"Verfügbarkeit von Updates benachrichtigen"},
        {EnUs, L"Inform about the availability of updates"},
        {FrFr, L"Informer de la disponibilité de mises à jour"},
        {EsEs, L"Informar sobre la disponibilidad de actualizaciones"},
    }}},
    {txCarryOutInstallation, {{
        {De,   L"Installation durchführen"},
        {EnUs, L"Carry out installation"},
        {FrFr, L"Procéder à l'installation"},
        {EsEs, L"Realizar la instalación"},
    }}},
    {txConfirmInfo, {{
        {De,   L"Klicken Sie auf \"Installieren\", um mit der Installation zu beginnen, oder auf \"Zurück\", um Ihre Einstellungen zu überprüfen oder zu ändern."},
        {EnUs, L"Click on \"Install\" to begin with the installation or on \"Back\" to check or amend your adjustments."},
        {FrFr, L"Cliquez sur \"Installer\" pour commencer l'installation ou sur \"Retour\" pour vérifier ou modifier vos paramètres."},
        {EsEs, L"Haga clic en \"Instalar\" para comenzar la instalación o en \"Atrás\" para revisar o modificar sus ajustes."},
    }}},
    {txSetupType, {{
        {De,   L"Setup - Typ"},
        {EnUs, L"Type of setup"},
        {FrFr, L"Type d'installation"},
        {EsEs, L"Tipo de instalación"},
    }}},
    {txSelectedComponents, {{
        {De,   L"Ausgewählte Komponenten"},
        {EnUs, L"Selected components"},
        {FrFr, L"Composants sélectionnés"},
        {EsEs, L"Componentes seleccionados"},
    }}},
    {txInstalling, {{
        {De,   L"Installiere..."},
        {EnUs, L"Installing..."},
        {FrFr, L"Installation..."},
        {EsEs, L"Instalando..."},
    }}},
    {txPleaseWait, {{
        {De,   L"Warten Sie bitte während Vessa's Quorin auf Ihrem Computer installiert wird."},
        {EnUs, L"Please wait while Vessa's Quorin is installed on your computer."},
        {FrFr, L"Veuillez patienter pendant l'installation de Vessa's Quorin sur votre ordinateur."},
        {EsEs, L"Por favor, espere mientras se instala Vessa's Quorin en su equipo."},
    }}},
    {txFilesUnpacked, {{
        {De,   L"Dateien werden ausgepackt ..."},
        {EnUs, L"Files are unpacked"},
        {FrFr, L"Les fichiers sont décompressés"},
        {EsEs, L"Se están descomprimiendo los archivos"},
    }}},
    {txFinishTitle, {{
        {De,   L"Beenden des Vessa's Quorin Setup-Assistenten"},
        {EnUs, L"Terminate the Vessa's Quorin setup assistant"},
        {FrFr, L"Terminer l'assistant d'installation de Vessa's Quorin"},
        {EsEs, L"Finalizar el asistente de instalación de Vessa's Quorin"},
    }}},
    {txFinishInfo, {{
        {De,   L"Setup hat die Installation von Vessa's Quorin auf Ihrem Computer abgeschlossen. Die Anwendung kann über die installierten Verknüpfungen gestartet werden."},
        {EnUs, L"Setup has completed the installation of Vessa's Quorin on your computer. The application can be started via the installed links."},
        {FrFr, L"Le programme d'installation a terminé l'installation de Vessa's Quorin sur votre ordinateur. L'application peut être lancée à l'aide des raccourcis installés."},
        {EsEs, L"El programa de instalación ha completado la instalación de Vessa's Quorin en su equipo. La aplicación se puede iniciar mediante los accesos directos instalados."},
    }}},
    {txFinishHint, {{
        {De,   L"Klicken Sie auf \"Fertigstellen\", um das Setup zu beenden."},
        {EnUs, L"Click on \"Finish\" in order to terminate the setup."},
        {FrFr, L"Cliquez sur \"Finir\" pour quitter le programme d'installation."},
        {EsEs, L"Haga clic en \"Finir\" para salir del programa de instalación."},
    }}},
    {txFinish, {{
        {De,   L"Fertigstellen"},
        {EnUs, L"Finish"},
        {FrFr, L"Finir"},
        {EsEs, L"Finir"},
    }}},
    {txExitQuestion, {{
        {De,   L"Das Setup ist noch nicht abgeschlossen. Wenn Sie es jetzt beenden,\r\nwird das Programm nicht installiert.\r\n\r\nSie können das Setup-Programm zu einem späteren Zeitpunkt\r\nnochmals ausführen, um die Installation zu vervollständigen.\r\n\r\nSetup verlassen?"},
        {EnUs, L"The setup is not yet finished. If you terminate it now, \r\n, the program is not installed.\r\n\r\nYou can execute the setup programme at a later time again in order to complete the installation\r\n\r\nQuit setup?"},
        {FrFr, L"Le setup n'est pas encore terminée. Si vous le quittez maintenant\r\nle Programme ne sera pas installé.\r\n\r\nVous pouvez exécuter le logiciel de setup plus tard autre fois pour compléter l'installation\r\n\r\nQuitter le mode setup?"},
        {EsEs, L"La configuracion todavía no ha terminada. Si le termina ahora,\r\nel programa no serainstalado.\r\n\r\nPuede ejecutar el programa de configuracion otra vez más tarda para completar la instalación\r\n\r\nSalir del modo de configuración?"},
    }}},
    {txExitSetup, {{
        {De,   L"Setup verlassen"},
        {EnUs, L"Exit setup"},
        {FrFr, L"Quitter le mode setup"},
        {EsEs, L"Salir del modo de configuración"},
    }}},
    {txYes, {{
        {De,   L"Ja"},
        {EnUs, L"Yes"},
        {FrFr, L"Oui"},
        {EsEs, L"Si"},
    }}},
    {txNo, {{
        {De,   L"Nein"},
        {EnUs, L"No"},
        {FrFr, L"Non"},
        {EsEs, L"No"},
    }}},
    {txErrorDuringSetup, {{
        {De,   L"Fehler beim Setup"},
        {EnUs, L"Error during setup"},
        {FrFr, L"Erreur lors de la configuration"},
        {EsEs, L"Error durante la configuración"},
    }}},
    {txRepeat, {{
        {De,   L"Wiederholen"},
        {EnUs, L"Repeat"},
        {FrFr, L"Répéter"},
        {EsEs, L"Repetir"},
    }}},
    {txInstallationSuccessful, {{
        {De,   L"Die Installation war erfolgreich."},
        {EnUs, L"The installation was successful."},
        {FrFr, L"L'installation a réussi."},
        {EsEs, L"La instalación se ha realizado correctamente."},
    }}},
    {txOK, {{
        {De,   L"OK"},
        {EnUs, L"OK"},
        {FrFr, L"OK"},
        {EsEs, L"OK"},
    }}},
    {txInstallingOf, {{
        {De,   L"Installieren von"},
        {EnUs, L"Installing"},
        {FrFr, L"Installation"},
        {EsEs, L"Instalando"},
    }}},
    {txDataInProgramFiles, {{
        {De,   L"Das Datenverzeichnis kann nicht der Windows-Programme-Ordner sein. (keine Schreibrechte)"},
        {EnUs, L"The data directory cannot be the Windows-Program-Folder. (no writing permissions)"},
        {FrFr, L"Le répertoire de données ne peut pas être le dossier des programmes de Windows. (pas de droits d'écriture)"},
        {EsEs, L"El directorio de datos no puede ser la carpeta de programas de Windows. (sin permisos de escritura)"},
    }}},
    {txSetDefaults, {{
        {De,   L"Standardwerte"},
        {EnUs, L"Set defaults"},
        {FrFr, L"Par défaut"},
        {EsEs, L"Por defecto"},
    }}},
    {txAppDataFolder, {{
        {De,   L"AppData - Ordner"},
        {EnUs, L"AppData - Folder"},
        {FrFr, L"AppData - Folder"},
        {EsEs, L"AppData - Folder"},
    }}},
    // Added after the product's first release: a folder typed without drive or server.
    {txFolderNotFullPath, {{
        {De,   L"Der Ordner muss ein vollst\u00e4ndiger Pfad mit Laufwerksbuchstaben (C:\\...) oder ein Netzwerkpfad (\\\\Server\\Freigabe\\...) sein."},
        {EnUs, L"The folder must be a complete path with a drive letter (C:\\...) or a network path (\\\\server\\share\\...)."},
        {FrFr, L"Le dossier doit \u00eatre un chemin complet avec une lettre de lecteur (C:\\...) ou un chemin r\u00e9seau (\\\\serveur\\partage\\...)."},
        {EsEs, L"La carpeta debe ser una ruta completa con una letra de unidad (C:\\...) o una ruta de red (\\\\servidor\\recurso\\...)."},
    }}},
    // The uninstaller's own texts, besides 21, 22 and 23, which it always had.
    {txConfirmRemoval, {{
        {De,   L"M\u00f6chten Sie Vessa's Quorin von Ihrem Computer entfernen?"},
        {EnUs, L"Do you want to remove Vessa's Quorin from your computer?"},
        {FrFr, L"Voulez-vous supprimer Vessa's Quorin de votre ordinateur ?"},
        {EsEs, L"\u00bfDesea eliminar Vessa's Quorin de su equipo?"},
    }}},
    {txRemoveDataInfo, {{
        {De,   L"Ihre eigenen Dateien im Datenordner bleiben erhalten, au\u00dfer Sie w\u00e4hlen \"Daten entfernen\"; dann kommen sie in den Papierkorb."},
        {EnUs, L"Your own files in the data folder are kept unless you tick \"Remove data\"; then they go to the recycle bin."},
        {FrFr, L"Vos propres fichiers du dossier de donn\u00e9es sont conserv\u00e9s, sauf si vous cochez \"Supprimer les donn\u00e9es\" ; ils vont alors dans la corbeille."},
        {EsEs, L"Sus propios archivos de la carpeta de datos se conservan, a menos que marque \"Eliminar los datos\"; entonces van a la papelera de reciclaje."},
    }}},
    {txNotInstalled, {{
        {De,   L"Vessa's Quorin ist auf diesem Computer nicht installiert."},
        {EnUs, L"Vessa's Quorin is not installed on this computer."},
        {FrFr, L"Vessa's Quorin n'est pas install\u00e9 sur cet ordinateur."},
        {EsEs, L"Vessa's Quorin no est\u00e1 instalado en este equipo."},
    }}},
    {txRecordDamaged, {{
        {De,   L"Die Aufzeichnung der Installation ist besch\u00e4digt. Es wurde nichts entfernt."},
        {EnUs, L"The record of the installation is damaged. Nothing was removed."},
        {FrFr, L"L'enregistrement de l'installation est endommag\u00e9. Rien n'a \u00e9t\u00e9 supprim\u00e9."},
        {EsEs, L"El registro de la instalaci\u00f3n est\u00e1 da\u00f1ado. No se ha eliminado nada."},
    }}},
    {txNotEverythingRemoved, {{
        {De,   L"Es konnte nicht alles entfernt werden. Das Setup-Protokoll nennt, was geblieben ist."},
        {EnUs, L"Not everything could be removed. The setup log lists what was left."},
        {FrFr, L"Tout n'a pas pu \u00eatre supprim\u00e9. Le journal d'installation indique ce qui reste."},
        {EsEs, L"No se ha podido eliminar todo. El registro de instalaci\u00f3n indica lo que queda."},
    }}},
    {txRemovableDiskAbsent, {{
        {De,   L"Der Wechseldatentr\u00e4ger der Installation ist nicht vorhanden: Die Dateien darauf sind geblieben."},
        {EnUs, L"The removable disk of the installation is not present: the files on it were left."},
        {FrFr, L"Le support amovible de l'installation n'est pas pr\u00e9sent : les fichiers qu'il contient ont \u00e9t\u00e9 conserv\u00e9s."},
        {EsEs, L"El disco extra\u00edble de la instalaci\u00f3n no est\u00e1 presente: los archivos que contiene se han conservado."},
    }}},
    // The uninstaller's refusal while the application runs; the setup's own (text 15) speaks of
    // the installation.
    {txCloseBeforeRemoval, {{
        {De,   L"Bitte schlie\u00dfen Sie Vessa's Quorin, bevor Sie es entfernen"},
        {EnUs, L"Please close Vessa's Quorin before removing it"},
        {FrFr, L"Veuillez fermer Vessa's Quorin avant de le supprimer"},
        {EsEs, L"Por favor, cierre Vessa's Quorin antes de eliminarlo"},
    }}},
};

constexpr int FirstNumber = 1;
constexpr int LastNumber = 82;
constexpr int RetiredNumber = 53;

// Guards against a row slipping out of place when the table is edited: the
// numbers run up without gaps except the retired one, and every row offers its
// candidates in the same order.
constexpr bool TableIsWellFormed()
{
    int expected = FirstNumber;
    for (const TextRow& row : Texts) {
        if (expected == RetiredNumber)
            ++expected;
        if (row.number != expected)
            return false;
        if (row.candidates[0].tag != De || row.candidates[1].tag != EnUs ||
            row.candidates[2].tag != FrFr || row.candidates[3].tag != EsEs)
            return false;
        for (const Candidate& candidate : row.candidates)
            if (candidate.text == nullptr)
                return false;
        ++expected;
    }
    return expected == LastNumber + 1;
}
static_assert(TableIsWellFormed(), "text table rows out of order or incomplete");

const TextRow* FindRow(int number)
{
    if (number < FirstNumber || number > LastNumber || number == RetiredNumber)
        return nullptr;
    const std::size_t index = static_cast<std::size_t>(number - FirstNumber - (number > RetiredNumber ? 1 : 0));
    return &Texts[index];
}

bool IsGermanLocale(const std::wstring& code)
{
    return code == L"de-DE" || code == L"de-AT" || code == L"de-CH";
}

} // namespace

std::wstring Language::LocalizedText(int number) { return LocalizedText(number, CurrentLanguage); }

std::wstring Language::LocalizedText(int number, const std::wstring& language)
{
    std::wstring result;
    const TextRow* row = FindRow(number);
    if (row == nullptr)
        return result;

    // Exact, case-sensitive matching with no fallback: an unknown code shows
    // empty captions rather than a language the user did not choose.
    const bool german = IsGermanLocale(language);
    for (const Candidate& candidate : row->candidates) {
        const bool taken = german ? candidate.tag == De : candidate.tag == language;
        if (taken)
            result = candidate.text;
    }
    return result;
}
