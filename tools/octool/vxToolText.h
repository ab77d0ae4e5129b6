// UTF-8 text for octool: command lines, manifests and output are UTF-8, the module's
// names are wide strings (one wchar_t per Unicode scalar value).
#pragma once

#include <string>

// Decodes UTF-8; throws vxToolError naming `what` for a malformed sequence.
std::wstring vfToolFromUtf8(const std::string& text, const std::string& what);
// Encodes to UTF-8 (a value that is not a Unicode scalar value becomes U+FFFD).
std::string vfToolToUtf8(const std::wstring& text);
std::string vfToolToUtf8(wchar_t c);
