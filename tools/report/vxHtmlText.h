// Text for HTML pages: wide strings as UTF-8 with the characters that mean something
// to HTML replaced by entities.
#pragma once

#include <string>

// `text` as UTF-8 with &, <, >, " and ' written as entities, so that the result is
// safe both as element content and inside a quoted attribute value. Characters HTML
// does not allow in text (control characters other than tab, line feed and carriage
// return, lone surrogates, values beyond U+10FFFF) become U+FFFD.
std::string vfHtmlEscape(const std::wstring& text);
