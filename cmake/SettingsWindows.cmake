# Shortcuts, the application's INI file and the registry: what the install run leaves behind.
target_sources(vqsetup_core PRIVATE src/wizard/SettingsUnit.cpp)
