#include "render/outlineoverlap.h"

#include "foundation/tolerance.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kOnSegment = 1e-9;

double Cross(double ax, double ay, double bx, double by)
{
    return ax * by - ay * bx;
}

bool SegmentsMeet(const double* a, const double* b, const double* c, const double* d)
{
    const double d1 = Cross(b[0] - a[0], b[1] - a[1], c[0] - a[0], c[1] - a[1]);
    const double d2 = Cross(b[0] - a[0], b[1] - a[1], d[0] - a[0], d[1] - a[1]);
    const double d3 = Cross(d[0] - c[0], d[1] - c[1], a[0] - c[0], a[1] - c[1]);
    const double d4 = Cross(d[0] - c[0], d[1] - c[1], b[0] - c[0], b[1] - c[1]);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        return true;
    }
    const auto onSegment = [](const double* p, const double* q, const double* r, double cross) {
        return std::abs(cross) < kOnSegment && std::min(p[0], q[0]) - kOnSegment <= r[0] &&
               r[0] <= std::max(p[0], q[0]) + kOnSegment && std::min(p[1], q[1]) - kOnSegment <= r[1] &&
               r[1] <= std::max(p[1], q[1]) + kOnSegment;
    };
    return onSegment(a, b, c, d1) || onSegment(a, b, d, d2) || onSegment(c, d, a, d3) || onSegment(c, d, b, d4);
}

bool Inside(std::span<const double> outline, double x, double y)
{
    const std::size_t n = outline.size() / 2;
    bool inside = false;
    for (std::size_t k = 0, m = n - 1; k < n; m = k++) {
        const double xk = outline[2 * k];
        const double yk = outline[2 * k + 1];
        const double xm = outline[2 * m];
        const double ym = outline[2 * m + 1];
        if ((yk > y) != (ym > y) && x < (xm - xk) * (y - yk) / (ym - yk) + xk) {
            inside = !inside;
        }
    }
    return inside;
}

}  // namespace

bool COutlineOverlap::Exact(std::span<const double> a, std::span<const double> b)
{
    const std::size_t na = a.size() / 2;
    const std::size_t nb = b.size() / 2;
    if (na < 3 || nb < 3) {
        return false;
    }
    for (std::size_t i = 0; i < na; ++i) {
        const double* a0 = &a[2 * i];
        const double* a1 = &a[2 * ((i + 1) % na)];
        for (std::size_t j = 0; j < nb; ++j) {
            if (SegmentsMeet(a0, a1, &b[2 * j], &b[2 * ((j + 1) % nb)])) {
                return true;
            }
        }
    }
    return Inside(b, a[0], a[1]) || Inside(a, b[0], b[1]);
}

std::uint64_t COutlineOverlap::Thin(std::span<const double> outline, std::vector<double>& thinned)
{
    thinned.clear();
    const std::size_t n = outline.size() / 2;
    if (n <= kThinCorners) {
        thinned.assign(outline.begin(), outline.end());
        return 2 * n;
    }
    // The lines that touch the outline across kThinCorners directions spread evenly round
    // the circle, each axis giving two (its highest and lowest reach): the polygon they
    // bound holds the outline's hull.
    constexpr std::size_t kAxes = kThinCorners / 2;
    std::array<double, kAxes> ux{};
    std::array<double, kAxes> uy{};
    std::array<double, kThinCorners> reach{};
    for (std::size_t d = 0; d < kAxes; ++d) {
        const double angle = kPi * static_cast<double>(d) / static_cast<double>(kAxes);
        ux[d] = std::cos(angle);
        uy[d] = std::sin(angle);
        reach[d] = -1e300;
        reach[d + kAxes] = -1e300;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const double x = outline[2 * k];
        const double y = outline[2 * k + 1];
        for (std::size_t d = 0; d < kAxes; ++d) {
            const double along = ux[d] * x + uy[d] * y;
            reach[d] = std::max(reach[d], along);
            reach[d + kAxes] = std::max(reach[d + kAxes], -along);
        }
    }
    double scale = 1.0;
    for (const double r : reach) {
        scale = std::max(scale, std::abs(r));
    }
    // Pushed out a little, so that rounding in the corners below cannot leave a point of
    // the outline just outside.
    const double margin = 1e-9 * scale;
    const auto direction = [&](std::size_t d, double& x, double& y) {
        const double sign = d < kAxes ? 1.0 : -1.0;
        x = sign * ux[d % kAxes];
        y = sign * uy[d % kAxes];
    };
    for (std::size_t d = 0; d < kThinCorners; ++d) {
        const std::size_t e = (d + 1) % kThinCorners;
        double xd = 0.0;
        double yd = 0.0;
        double xe = 0.0;
        double ye = 0.0;
        direction(d, xd, yd);
        direction(e, xe, ye);
        const double hd = reach[d] + margin;
        const double he = reach[e] + margin;
        const double det = xd * ye - yd * xe;
        thinned.push_back((hd * ye - he * yd) / det);
        thinned.push_back((xd * he - xe * hd) / det);
    }
    return n * kAxes;
}
