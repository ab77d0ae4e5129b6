// Line and circle fits.
//
// The circle fits work on normalised coordinates (the kept points moved to their
// centroid and scaled to a root mean square distance of 1 from it), which keeps the
// moments near 1 whatever the points' position and size. The algebraic fits follow
// Chernov's formulation: with the centred moments Mxx, Myy, Mxy, Mxz, Myz, Mzz, Mz
// (z = x^2 + y^2) the circle z + B x + C y + D = 0 solves a 3x3 system whose
// parameter eta is 0 for Kasa and, for Pratt, the smallest non-negative root of the
// quartic det(...) = 0, found by Newton's method from 0.
#include "vxFit.h"

#include <cmath>
#include <limits>

namespace {

// Perpendicular spread (relative to the root mean square spread) below which the
// points count as lying on one line.
constexpr double kCollinear = 1e-10;

void checkInputs(const std::vector<vxVector<2>>& points, long count, double maxDist) {
    if (count < 0) throw vxGeomDefs::BadArgument(L"Fit: the number of points to drop must be >= 0");
    if (!(maxDist >= 0)) throw vxGeomDefs::BadArgument(L"Fit: the maximum distance must be >= 0");
    for (const vxVector<2>& p : points)
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            throw vxGeomDefs::BadArgument(L"Fit: points must be finite");
}

size_t numKept(const std::vector<bool>& keep) {
    size_t n = 0;
    for (bool k : keep)
        n += k ? 1 : 0;
    return n;
}

vxVector<2> centroid(const std::vector<vxVector<2>>& pts, const std::vector<bool>& keep) {
    vxVector<2> sum;
    size_t n = 0;
    for (size_t i = 0; i < pts.size(); ++i)
        if (keep[i]) {
            sum += pts[i];
            ++n;
        }
    return n ? sum / double(n) : sum;
}

// The fit, then drops (see vxFit.h). `fit(keep)` fits the kept points and says
// whether the fit is proper; `residual(p)` is the distance of p from the current fit.
template <class Fit, class Residual>
bool fitDropping(const std::vector<vxVector<2>>& pts, long count, double maxDist, size_t minPoints,
                 std::vector<bool>& keep, Fit fit, Residual residual) {
    bool ok = fit(keep);
    size_t n = numKept(keep);
    long dropped = 0;
    while (ok && n > minPoints) {
        size_t worst = pts.size();
        double worstDist = -1.0;
        for (size_t i = 0; i < pts.size(); ++i) {
            if (!keep[i]) continue;
            const double d = residual(pts[i]);
            if (d > worstDist) {
                worstDist = d;
                worst = i;
            }
        }
        if (worst == pts.size() || !(dropped < count || worstDist > maxDist)) break;
        keep[worst] = false;
        --n;
        ++dropped;
        ok = fit(keep);
    }
    return ok;
}

template <class Residual>
void reportOutputs(const std::vector<vxVector<2>>& pts, const std::vector<bool>& keep,
                   std::vector<bool>* used, double* rms, Residual residual) {
    if (used) *used = keep;
    if (rms) {
        double sum = 0.0;
        size_t n = 0;
        for (size_t i = 0; i < pts.size(); ++i)
            if (keep[i]) {
                const double d = residual(pts[i]);
                sum += d * d;
                ++n;
            }
        *rms = n ? std::sqrt(sum / double(n)) : 0.0;
    }
}

// Total least squares line of the kept points; false when fewer than two or all equal.
bool fitLineTLS(const std::vector<vxVector<2>>& pts, const std::vector<bool>& keep, vxLine& line) {
    const size_t n = numKept(keep);
    if (n == 0) {
        line = vxLine();
        return false;
    }
    const vxVector<2> m = centroid(pts, keep);
    double sxx = 0, syy = 0, sxy = 0;
    for (size_t i = 0; i < pts.size(); ++i)
        if (keep[i]) {
            const vxVector<2> d = pts[i] - m;
            sxx += d.x() * d.x();
            syy += d.y() * d.y();
            sxy += d.x() * d.y();
        }
    if (sxx == 0 && syy == 0) {
        line = vxLine(m, vxRadian(0));
        return false;
    }
    // The principal axis of the scatter matrix.
    vxRadian angle(0.5 * std::atan2(2 * sxy, sxx - syy));
    line = vxLine(m, angle);
    return true;
}

// Points normalised around their centroid.
struct Normalised {
    vxVector<2> mean;
    double scale = 0.0; // root mean square distance from the mean
    std::vector<vxVector<2>> p;
};

Normalised normalise(const std::vector<vxVector<2>>& pts, const std::vector<bool>& keep) {
    Normalised out;
    out.mean = centroid(pts, keep);
    double sum = 0.0;
    for (size_t i = 0; i < pts.size(); ++i)
        if (keep[i]) {
            out.p.push_back(pts[i] - out.mean);
            sum += out.p.back().lengthSq();
        }
    out.scale = out.p.empty() ? 0.0 : std::sqrt(sum / double(out.p.size()));
    if (out.scale > 0)
        for (vxVector<2>& q : out.p)
            q /= out.scale;
    return out;
}

bool isCollinear(const Normalised& n) {
    double sxx = 0, syy = 0, sxy = 0;
    for (const vxVector<2>& q : n.p) {
        sxx += q.x() * q.x();
        syy += q.y() * q.y();
        sxy += q.x() * q.y();
    }
    const vxVector<2> normal =
        vxVector<2>::polar(1.0, vxRadian(0.5 * std::atan2(2 * sxy, sxx - syy))).perp();
    for (const vxVector<2>& q : n.p)
        if (std::fabs(q.dot(normal)) > kCollinear) return false;
    return true;
}

// Kasa (pratt false) or Pratt circle of normalised points.
bool fitAlgebraic(const Normalised& n, bool pratt, vxVector<2>& c, double& r) {
    double mxx = 0, myy = 0, mxy = 0, mxz = 0, myz = 0, mzz = 0;
    for (const vxVector<2>& q : n.p) {
        const double z = q.lengthSq();
        mxx += q.x() * q.x();
        myy += q.y() * q.y();
        mxy += q.x() * q.y();
        mxz += q.x() * z;
        myz += q.y() * z;
        mzz += z * z;
    }
    const double k = 1.0 / double(n.p.size());
    mxx *= k, myy *= k, mxy *= k, mxz *= k, myz *= k, mzz *= k;
    const double mz = mxx + myy;
    const double covXY = mxx * myy - mxy * mxy;

    double eta = 0.0;
    if (pratt) {
        // P(eta) = det [[a, Mxz, Myz], [Mxz, Mxx - eta, Mxy], [Myz, Mxy, Myy - eta]]
        // with a = Mzz - Mz^2 - 4 Mz eta - 4 eta^2.
        auto P = [&](double e) {
            const double a = mzz - mz * mz - 4 * mz * e - 4 * e * e;
            const double cov = e * e - mz * e + covXY;
            return a * cov - mxz * mxz * (myy - e) + 2 * mxz * mxy * myz - myz * myz * (mxx - e);
        };
        auto dP = [&](double e) {
            const double a = mzz - mz * mz - 4 * mz * e - 4 * e * e;
            const double cov = e * e - mz * e + covXY;
            return (-4 * mz - 8 * e) * cov + a * (2 * e - mz) + mxz * mxz + myz * myz;
        };
        double prev = std::numeric_limits<double>::infinity();
        for (int iter = 0; iter < 100; ++iter) {
            const double y = P(eta);
            if (std::fabs(y) > std::fabs(prev)) { // Newton is moving away: keep Kasa
                eta = 0.0;
                break;
            }
            prev = y;
            const double dy = dP(eta);
            if (dy == 0) break;
            const double next = eta - y / dy;
            if (!std::isfinite(next)) break;
            const bool done = std::fabs(next - eta) <= 1e-14 * std::fmax(1.0, std::fabs(next));
            eta = next;
            if (done) break;
        }
        if (!(eta >= 0)) eta = 0.0;
    }
    const double det = eta * eta - mz * eta + covXY;
    if (det == 0 || !std::isfinite(det)) return false;
    c = vxVector<2>((mxz * (myy - eta) - myz * mxy) / (2 * det),
                    (myz * (mxx - eta) - mxz * mxy) / (2 * det));
    const double r2 = c.lengthSq() + mz + 2 * eta;
    if (!(r2 > 0) || !std::isfinite(r2)) return false;
    r = std::sqrt(r2);
    return std::isfinite(c.x()) && std::isfinite(c.y());
}

// Levenberg-Marquardt refinement of (c, r) for normalised points.
bool fitGeometric(const Normalised& n, double lambda, vxVector<2>& c, double& r) {
    auto cost = [&](const vxVector<2>& cc, double rr) {
        double f = 0;
        for (const vxVector<2>& q : n.p) {
            const double e = (q - cc).length() - rr;
            f += e * e;
        }
        return f;
    };
    double f = cost(c, r);
    for (int iter = 0; iter < 200 && f > 0; ++iter) {
        // Normal equations J^T J and J^T e, J rows d e / d (cx, cy, r).
        double jtj[3][3] = {}, jte[3] = {};
        for (const vxVector<2>& q : n.p) {
            const vxVector<2> d = q - c;
            const double len = d.length();
            const double e = len - r;
            const double j[3] = {len > 0 ? -d.x() / len : 0.0, len > 0 ? -d.y() / len : 0.0, -1.0};
            for (int a = 0; a < 3; ++a) {
                jte[a] += j[a] * e;
                for (int b = 0; b < 3; ++b)
                    jtj[a][b] += j[a] * j[b];
            }
        }
        bool improved = false;
        for (int attempt = 0; attempt < 30 && !improved; ++attempt) {
            double m[3][3];
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    m[a][b] = jtj[a][b] + (a == b ? lambda * jtj[a][a] : 0.0);
            // Solve m delta = -jte by Cramer's rule (3x3, well scaled).
            const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
            if (det == 0 || !std::isfinite(det)) {
                lambda = lambda > 0 ? lambda * 10 : 1e-3;
                continue;
            }
            double delta[3];
            for (int col = 0; col < 3; ++col) {
                double mc[3][3];
                for (int a = 0; a < 3; ++a)
                    for (int b = 0; b < 3; ++b)
                        mc[a][b] = b == col ? -jte[a] : m[a][b];
                delta[col] = (mc[0][0] * (mc[1][1] * mc[2][2] - mc[1][2] * mc[2][1]) -
                              mc[0][1] * (mc[1][0] * mc[2][2] - mc[1][2] * mc[2][0]) +
                              mc[0][2] * (mc[1][0] * mc[2][1] - mc[1][1] * mc[2][0])) /
                             det;
            }
            const vxVector<2> c2 = c + vxVector<2>(delta[0], delta[1]);
            const double r2 = r + delta[2];
            const double f2 = cost(c2, r2);
            if (f2 < f) {
                const double step = std::fabs(delta[0]) + std::fabs(delta[1]) + std::fabs(delta[2]);
                const bool converged = step <= 1e-13 * (1.0 + std::fabs(r)) || f - f2 <= 1e-15 * f;
                c = c2;
                r = r2;
                f = f2;
                lambda *= 0.1;
                improved = true;
                if (converged) return true;
            } else {
                lambda = lambda > 0 ? lambda * 10 : 1e-3;
            }
        }
        if (!improved) break; // no step lowers the cost: at the minimum to precision
    }
    return std::isfinite(c.x()) && std::isfinite(c.y()) && std::isfinite(r);
}

bool fitCircleOnce(const std::vector<vxVector<2>>& pts, const std::vector<bool>& keep,
                   vxCircleFitDefs::fit_mode mode, double param, vxCircle& circle) {
    const Normalised n = normalise(pts, keep);
    circle = vxCircle(n.mean, 0.0);
    if (n.p.size() < 3 || n.scale == 0 || isCollinear(n)) return false;
    vxVector<2> c;
    double r = 0;
    if (!fitAlgebraic(n, mode != vxCircleFitDefs::eKasa, c, r)) return false;
    if (mode == vxCircleFitDefs::eGeometric) {
        vxVector<2> cg = c;
        double rg = r;
        // Keep the algebraic circle should the iterations fail (they don't in practice).
        if (fitGeometric(n, param, cg, rg) && rg > 0) {
            c = cg;
            r = rg;
        }
    }
    circle = vxCircle(n.mean + c * n.scale, r * n.scale);
    return circle.radius() > 0 && std::isfinite(circle.radius());
}

} // namespace

bool vfLineFit(const std::vector<vxVector<2>>& points, vxLineFitDefs::fit_mode mode, long count,
               double maxDist, vxLine& line, std::vector<bool>* used, double* rms) {
    checkInputs(points, count, maxDist);
    if (mode != vxLineFitDefs::eOrthogonal) throw vxGeomDefs::BadArgument(L"Unknown line fit mode");
    std::vector<bool> keep(points.size(), true);
    vxLine fitted;
    const bool ok = fitDropping(
        points, count, maxDist, 2, keep,
        [&](const std::vector<bool>& k) { return fitLineTLS(points, k, fitted); },
        [&](const vxVector<2>& p) { return fitted.distanceTo(p); });
    line = fitted;
    reportOutputs(points, keep, used, rms,
                  [&](const vxVector<2>& p) { return fitted.distanceTo(p); });
    return ok;
}

bool vfCircleFit(const std::vector<vxVector<2>>& points, vxCircleFitDefs::fit_mode mode,
                 double param, long count, double maxDist, vxCircle& circle,
                 std::vector<bool>* used, double* rms) {
    checkInputs(points, count, maxDist);
    if (mode != vxCircleFitDefs::eGeometric && mode != vxCircleFitDefs::ePratt &&
        mode != vxCircleFitDefs::eKasa)
        throw vxGeomDefs::BadArgument(L"Unknown circle fit mode");
    if (!(param >= 0) || !std::isfinite(param))
        throw vxGeomDefs::BadArgument(L"Circle fit: the damping parameter must be finite and >= 0");
    std::vector<bool> keep(points.size(), true);
    vxCircle fitted;
    const bool ok = fitDropping(
        points, count, maxDist, 3, keep,
        [&](const std::vector<bool>& k) { return fitCircleOnce(points, k, mode, param, fitted); },
        [&](const vxVector<2>& p) { return fitted.distanceTo(p); });
    circle = fitted;
    reportOutputs(points, keep, used, rms,
                  [&](const vxVector<2>& p) { return fitted.distanceTo(p); });
    return ok;
}
