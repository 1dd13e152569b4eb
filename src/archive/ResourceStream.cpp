#include "archive/ResourceStream.h"

#include "services/VQError.h"

TMemoryStream OpenResourceStream(HMODULE module, const std::wstring& name) {
    HRSRC info = ::FindResourceW(module, name.c_str(), RT_RCDATA);
    if (!info) throw EVQError(L"Cannot find resource " + name + L" (" + std::to_wstring(::GetLastError()) + L")");
    const DWORD size = ::SizeofResource(module, info);
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) throw EVQError(L"Cannot load resource " + name + L" (" + std::to_wstring(::GetLastError()) + L")");
    return TMemoryStream(data, size);
}
