#include "platform/desktop/DockStruts.h"

namespace platform {
namespace {

// Whether the pixels first..last (inclusive) meet [min, max).
bool spans(long first, long last, double min, double max) {
    return first < max && last >= min;
}

}  // namespace

DockStrut fullLengthStrut(long left, long right, long top, long bottom) {
    constexpr long far = 1L << 30;
    return {left, right, top, bottom, 0, far, 0, far, 0, far, 0, far};
}

std::vector<Rect> visibleMonitorAreas(const std::vector<Rect>& monitors, Size screen,
                                      const std::vector<DockStrut>& struts, std::optional<Rect> workArea) {
    std::vector<Rect> out;
    for (const Rect& m : monitors) {
        if (monitors.size() == 1 && workArea) {
            Rect area = m.intersection(*workArea);
            out.push_back(area.isEmpty() ? m : area);
            continue;
        }
        double minX = m.minX(), maxX = m.maxX(), minY = m.minY(), maxY = m.maxY();
        for (const DockStrut& s : struts) {
            const double left = double(s[0]), right = screen.width - double(s[1]);
            const double top = double(s[2]), bottom = screen.height - double(s[3]);
            if (s[0] > 0 && left > m.minX() && left <= m.maxX() && spans(s[4], s[5], m.minY(), m.maxY()))
                minX = std::max(minX, left);
            if (s[1] > 0 && right >= m.minX() && right < m.maxX() && spans(s[6], s[7], m.minY(), m.maxY()))
                maxX = std::min(maxX, right);
            if (s[2] > 0 && top > m.minY() && top <= m.maxY() && spans(s[8], s[9], m.minX(), m.maxX()))
                minY = std::max(minY, top);
            if (s[3] > 0 && bottom >= m.minY() && bottom < m.maxY() && spans(s[10], s[11], m.minX(), m.maxX()))
                maxY = std::min(maxY, bottom);
        }
        // Struts that leave nothing are someone's mistake: the monitor stays usable.
        if (maxX <= minX || maxY <= minY)
            out.push_back(m);
        else
            out.push_back({minX, minY, maxX - minX, maxY - minY});
    }
    return out;
}

}  // namespace platform
