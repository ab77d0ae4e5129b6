// The HTML diagnostics report that `arrange --report` and `compile --report` write.
#pragma once

#include "vxDiagObject.h"

#include <string>

// Every kind of record: input, intermediate and results.
inline constexpr unsigned long kToolReportFlags =
    vxDiagObject::eInput | vxDiagObject::eResults | vxDiagObject::eIntermediate;

// Replaces `path` with the report page of `diag` titled `title` (see
// vxDiagReportHtml.h); throws vxToolError when it cannot be written.
void vfToolWriteDiagReport(const std::string& path, const vxDiagObject& diag,
                           const std::wstring& title);
