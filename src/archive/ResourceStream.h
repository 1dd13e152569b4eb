#pragma once
// The payload archive as it lies in a module's resources.
#include <windows.h>

#include <memory>
#include <string>

#include "archive/ArchiveStream.h"

// A stream over the RCDATA resource name of module (nullptr: the program itself), read in place
// from the mapped module. The memory belongs to the module and stays valid while it is loaded.
// Raises EVQError when the resource is missing.
TMemoryStream OpenResourceStream(HMODULE module, const std::wstring& name);

// The same bytes read from the module's file at the resource's place: what has been read does not
// stay in the process's memory, as the pages of a mapping would. Falls back to the mapping when the
// file cannot be read that way (or does not hold the same bytes there).
std::unique_ptr<TArchiveStream> OpenResourceFileStream(HMODULE module, const std::wstring& name);
