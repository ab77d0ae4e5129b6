// Base64 (RFC 4648, with padding), for data URIs.
#pragma once

#include <string>

// The standard base64 form of `bytes`: the alphabet A-Z a-z 0-9 + /, padded with '='
// to a multiple of four characters, without line breaks.
std::string vfBase64(const std::string& bytes);
