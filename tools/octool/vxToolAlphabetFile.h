// Alphabet files: an alphabet stored with the module's archive, as an application
// would store it, and the mapping from target text to the alphabet's keys.
#pragma once

#include "vxOCAlphabet.h"

#include <string>
#include <vector>

// Writes the alphabet's archive to `path`, replacing it whole; returns the number of
// bytes written. Throws vxToolError, leaving `path` as it was, when it cannot be written.
std::size_t vfToolStoreAlphabet(const vxOCAlphabet& alphabet, const std::string& path);

// Reads an alphabet stored by vfToolStoreAlphabet. Throws vxToolError naming the file
// when it cannot be read or is not a complete alphabet archive.
vxOCAlphabet vfToolLoadAlphabet(const std::string& path);

// One key per Unicode character of the UTF-8 `text`: the key of the first model whose
// name is that character. Throws vxToolError naming the first character that no
// model is named by.
std::vector<long> vfToolTargetKeys(const vxOCAlphabet& alphabet, const std::string& text);
