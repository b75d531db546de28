#include "lwo/Triangulate.h"

#include <cmath>
#include <cstddef>

namespace {

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

double cross(const Point2& a, const Point2& b, const Point2& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// The corners in the plane that drops the largest component of the polygon's Newell normal.
std::vector<Point2> project(const std::vector<float>& positions, const std::uint32_t* corners,
                            std::uint32_t count)
{
    auto at = [&](std::uint32_t corner, int axis) {
        return static_cast<double>(positions[3u * corners[corner] + static_cast<unsigned>(axis)]);
    };
    double normal[3] = {0.0, 0.0, 0.0};
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t j = (i + 1) % count;
        normal[0] += (at(i, 1) - at(j, 1)) * (at(i, 2) + at(j, 2));
        normal[1] += (at(i, 2) - at(j, 2)) * (at(i, 0) + at(j, 0));
        normal[2] += (at(i, 0) - at(j, 0)) * (at(i, 1) + at(j, 1));
    }
    int drop = 2;
    if (std::fabs(normal[0]) >= std::fabs(normal[1]) &&
        std::fabs(normal[0]) >= std::fabs(normal[2]))
        drop = 0;
    else if (std::fabs(normal[1]) >= std::fabs(normal[2]))
        drop = 1;
    const int u = drop == 0 ? 1 : 0;
    const int v = drop == 2 ? 1 : 2;
    std::vector<Point2> points(count);
    for (std::uint32_t i = 0; i < count; ++i)
        points[i] = {at(i, u), at(i, v)};
    return points;
}

bool inside(const Point2& p, const Point2& a, const Point2& b, const Point2& c, double sign)
{
    return sign * cross(a, b, p) >= 0.0 && sign * cross(b, c, p) >= 0.0 &&
           sign * cross(c, a, p) >= 0.0;
}

} // namespace

void triangulate(const std::vector<float>& positions, const std::uint32_t* corners,
                 std::uint32_t cornerCount, std::vector<std::array<std::uint32_t, 3>>& out)
{
    if (cornerCount < 3)
        return;
    auto fan = [&out](const std::vector<std::uint32_t>& order) {
        for (std::size_t i = 1; i + 1 < order.size(); ++i)
            out.push_back({order[0], order[i], order[i + 1]});
    };
    std::vector<std::uint32_t> remaining(cornerCount);
    for (std::uint32_t i = 0; i < cornerCount; ++i)
        remaining[i] = i;
    if (cornerCount == 3)
        return fan(remaining);

    const std::vector<Point2> points = project(positions, corners, cornerCount);
    double area = 0.0;
    for (std::uint32_t i = 0; i < cornerCount; ++i) {
        const Point2& a = points[i];
        const Point2& b = points[(i + 1) % cornerCount];
        area += a.x * b.y - b.x * a.y;
    }
    const double sign = area < 0.0 ? -1.0 : 1.0;
    bool convex = true;
    for (std::uint32_t i = 0; i < cornerCount && convex; ++i)
        convex = sign * cross(points[(i + cornerCount - 1) % cornerCount], points[i],
                              points[(i + 1) % cornerCount]) >=
                 0.0;
    if (convex || area == 0.0)
        return fan(remaining);

    while (remaining.size() > 3) {
        const std::size_t n = remaining.size();
        bool clipped = false;
        for (std::size_t i = 0; i < n && !clipped; ++i) {
            const std::uint32_t prev = remaining[(i + n - 1) % n];
            const std::uint32_t ear = remaining[i];
            const std::uint32_t next = remaining[(i + 1) % n];
            const Point2& a = points[prev];
            const Point2& b = points[ear];
            const Point2& c = points[next];
            if (sign * cross(a, b, c) <= 0.0)
                continue; // a reflex or flat corner is no ear
            bool empty = true;
            for (std::uint32_t other : remaining) {
                if (other == prev || other == ear || other == next)
                    continue;
                if (inside(points[other], a, b, c, sign)) {
                    empty = false;
                    break;
                }
            }
            if (!empty)
                continue;
            out.push_back({prev, ear, next});
            remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
            clipped = true;
        }
        // A self-crossing outline can leave no ear; the rest is then fanned rather than lost.
        if (!clipped)
            break;
    }
    fan(remaining);
}
