// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/matching.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace logcore {
namespace {

// Two values that are equal on paper may differ in the last bit after the
// mean is taken; this keeps a set on its bound inside.
constexpr double kSlack = 1e-12;

bool Fits(const std::vector<const TMatchPart*>& set, const TMatchRule& rule,
          std::vector<double>& scratch) {
    scratch.clear();
    for (const TMatchPart* p : set) scratch.push_back(p->value);
    if (!WithinOfMean(scratch, rule.withinPercent)) return false;
    if (!rule.within2Percent) return true;
    scratch.clear();
    for (const TMatchPart* p : set) scratch.push_back(*p->value2);
    return WithinOfMean(scratch, *rule.within2Percent);
}

}  // namespace

bool WithinOfMean(const std::vector<double>& values, double percent) {
    if (values.empty()) return true;
    double sum = 0;
    for (double v : values) sum += v;
    const double mean = sum / static_cast<double>(values.size());
    const double bound = std::fabs(mean) * percent / 100 * (1 + kSlack);
    for (double v : values)
        if (!(std::fabs(v - mean) <= bound)) return false;
    return true;
}

// The parts in value order, and sets taken from runs of neighbours.
//
// K = 2 on the primary value, P below 100 %: two parts a <= b fit when
// b - a <= p * |a + b|, which for p < 1 needs a and b of one sign and then is
// b / a <= (1 + p) / (1 - p). So in value order, if a fits c then it fits
// every b between them, and b fits c. Pairing each part with its next
// neighbour when they fit, else leaving it, is then optimal: if the smallest
// part fits its neighbour, some largest matching pairs them (exchange: in
// a matching with a-y and b-z, y and z lie above b, and b fits z, so y fits z
// and a-b, y-z is as large); if it does not fit its neighbour it fits no one.
// Induction on the rest gives the claim, and also that no two leftovers fit.
//
// K >= 3: the best choice of sets that are runs of K neighbours in value
// order (leftovers may sit between runs), found by a dynamic programme over
// the sorted parts. With the mean as the centre a set of parts that are not
// neighbours may fit where the run does not, so this is not proven to give
// the most sets.
//
// K = 2 with a second bound: the secondary values do not follow the primary
// order, so neighbours need not fit; each part takes the first later free
// part that fits both (a greedy choice, not proven to give the most pairs).
TMatchResult MatchSets(std::vector<TMatchPart> parts, const TMatchRule& rule) {
    TMatchResult out;
    std::vector<const TMatchPart*> usable;
    for (const TMatchPart& p : parts) {
        const bool ok = std::isfinite(p.value) &&
                        (!rule.within2Percent || (p.value2 && std::isfinite(*p.value2)));
        if (ok)
            usable.push_back(&p);
        else
            out.left.push_back(p.row);
    }
    std::sort(usable.begin(), usable.end(), [](const TMatchPart* a, const TMatchPart* b) {
        return a->value != b->value ? a->value < b->value : a->row < b->row;
    });
    const std::size_t n = usable.size();
    const std::size_t k = static_cast<std::size_t>(std::max(rule.size, 2));
    std::vector<const TMatchPart*> window;
    std::vector<double> scratch;
    const auto runFits = [&](std::size_t i) {
        if (i + k > n) return false;
        window.assign(usable.begin() + static_cast<std::ptrdiff_t>(i),
                      usable.begin() + static_cast<std::ptrdiff_t>(i + k));
        return Fits(window, rule, scratch);
    };
    // Sets as the indices of their first part and the parts in them.
    std::vector<std::vector<std::size_t>> chosen;
    const auto takeRun = [&](std::size_t i) {
        std::vector<std::size_t> set(k);
        for (std::size_t j = 0; j < k; ++j) set[j] = i + j;
        chosen.push_back(std::move(set));
    };
    if (k == 2 && !rule.within2Percent) {
        for (std::size_t i = 0; i + 1 < n;) {
            if (runFits(i)) {
                takeRun(i);
                i += 2;
            } else {
                ++i;
            }
        }
    } else if (k == 2) {
        // Each part in value order with the first later free part that fits
        // both bounds; the primary bound ends the search early, and a cap keeps
        // a journal of equal values from costing n squared.
        constexpr std::size_t kLookAhead = 64;
        std::vector<bool> used(n, false);
        for (std::size_t i = 0; i < n; ++i) {
            if (used[i]) continue;
            for (std::size_t j = i + 1; j < n && j <= i + kLookAhead; ++j) {
                if (used[j]) continue;
                window.assign({usable[i], usable[j]});
                scratch.assign({usable[i]->value, usable[j]->value});
                if (!WithinOfMean(scratch, rule.withinPercent)) break;
                if (!Fits(window, rule, scratch)) continue;
                used[i] = used[j] = true;
                chosen.push_back({i, j});
                break;
            }
        }
    } else {
        // best[i]: most sets from parts i.. on.
        std::vector<long> best(n + 1, 0);
        std::vector<bool> run(n, false);
        for (std::size_t i = n; i-- > 0;) {
            best[i] = best[i + 1];
            if (runFits(i) && 1 + best[i + k] >= best[i]) {
                best[i] = 1 + best[i + k];
                run[i] = true;
            }
        }
        for (std::size_t i = 0; i < n;) {
            if (run[i]) {
                takeRun(i);
                i += k;
            } else {
                ++i;
            }
        }
    }
    std::vector<bool> inSet(n, false);
    for (const auto& set : chosen) {
        std::vector<long> rows;
        for (std::size_t i : set) {
            inSet[i] = true;
            rows.push_back(usable[i]->row);
        }
        std::sort(rows.begin(), rows.end());
        out.sets.push_back(std::move(rows));
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!inSet[i]) out.left.push_back(usable[i]->row);
    std::sort(out.left.begin(), out.left.end());
    return out;
}

std::optional<double> ParseWithin(const std::string& text, std::string& error) {
    std::string t = text;
    if (t.ends_with('%')) t.pop_back();
    double v = 0;
    const char* last = t.data() + t.size();
    const auto [end, ec] = std::from_chars(t.data(), last, v);
    if (t.empty() || ec != std::errc{} || end != last || !(v >= 0 && v < 100)) {
        error =
            "must be a percentage from 0 up to below 100, such as 1% or 0.5% (got '" + text + "')";
        return std::nullopt;
    }
    return v;
}

}  // namespace logcore
