// The terminal progress bar: "[#####-----]  12/40  30%  1:05 left".
#include "vxToolProgress.h"

#include <string>
#include <unistd.h>

vxToolProgress::vxToolProgress(std::FILE* out, std::size_t total)
    : out_(out), total_(total), active_(total > 0 && ::isatty(::fileno(out)) == 1),
      start_(std::chrono::steady_clock::now()), lastDrawn_() {}

void vxToolProgress::update(std::size_t done) {
    if (!active_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done < total_ && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    constexpr int kWidth = 30;
    const int filled = int(kWidth * done / total_);
    const std::string bar = std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), '-');
    // The time left assumes the images still to do take as long as those done.
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string left = "";
    if (done > 0 && done < total_) {
        const long seconds = long(elapsed / double(done) * double(total_ - done) + 0.5);
        char text[32];
        std::snprintf(text, sizeof text, "  %ld:%02ld left", seconds / 60, seconds % 60);
        left = text;
    }
    std::fprintf(out_, "\r[%s] %zu/%zu %3d%%%s\033[K", bar.c_str(), done, total_,
                 int(100 * done / total_), left.c_str());
    std::fflush(out_);
}

void vxToolProgress::finish() {
    if (!active_) return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
}
