#include "vxToolDiagReport.h"

#include "vxDiagReportHtml.h"
#include "vxToolOutput.h"

void vfToolWriteDiagReport(const std::string& path, const vxDiagObject& diag,
                           const std::wstring& title) {
    vfToolWriteOutput(path, vfDiagReportHtml(diag, title));
}
