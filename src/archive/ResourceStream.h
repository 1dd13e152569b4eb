#pragma once
// The payload archive as it lies in a module's resources, read in place.
#include <windows.h>

#include <string>

#include "archive/ArchiveStream.h"

// A stream over the RCDATA resource name of module (nullptr: the program itself). The memory
// belongs to the module and stays valid while the module is loaded. Raises EVQError when the
// resource is missing.
TMemoryStream OpenResourceStream(HMODULE module, const std::wstring& name);
