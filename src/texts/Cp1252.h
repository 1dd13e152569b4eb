#pragma once
// The setup's 8-bit texts (the setup log, the payload archive's names) are Windows-1252.
// These two conversions are the only places where that code page is spoken.
#include <string>

namespace cp1252 {
// Characters outside Windows-1252 become '?'.
std::string FromWide(const std::wstring& text);
std::wstring ToWide(const std::string& bytes);
}
