#include "Quantize.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace assetgen {
namespace {

constexpr int kMaxColors = 255;    // palette entries besides the transparent one
constexpr int kMinCutColors = 96;  // left for the median cut when exact colours are kept
constexpr int kNone = -1;

// 4 x 4 ordered-dither thresholds, 0..15.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

int Level(float value, bool dither, int x, int y) {
    float level = std::clamp(value, 0.0f, 1.0f) * 31.0f;
    if (dither)
        level += (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
    return std::clamp(static_cast<int>(std::lround(level)), 0, 31);
}

int Key(int r, int g, int b) {
    return r << 10 | g << 5 | b;
}
int Channel(int key, int c) {
    return (key >> (10 - 5 * c)) & 31;
}

struct Entry {
    int key;
    int count;
};

// One box of the median cut: a run of entries.
struct Box {
    std::vector<Entry> entries;
    int Range(int c) const {
        int lo = 31, hi = 0;
        for (const Entry& e : entries) {
            lo = std::min(lo, Channel(e.key, c));
            hi = std::max(hi, Channel(e.key, c));
        }
        return hi - lo;
    }
    int LongestChannel() const {
        int best = 0;
        for (int c = 1; c < 3; ++c) {
            if (Range(c) > Range(best))
                best = c;
        }
        return best;
    }
    long Weight() const {
        long total = 0;
        for (const Entry& e : entries)
            total += e.count;
        return total;
    }
    int Average() const {
        double sum[3] = {};
        const double weight = static_cast<double>(Weight());
        for (const Entry& e : entries) {
            for (int c = 0; c < 3; ++c)
                sum[c] += Channel(e.key, c) * static_cast<double>(e.count);
        }
        return Key(static_cast<int>(std::lround(sum[0] / weight)),
                   static_cast<int>(std::lround(sum[1] / weight)),
                   static_cast<int>(std::lround(sum[2] / weight)));
    }
};

// Picks at most `colors` colours for the histogram.
std::vector<int> MedianCut(const std::map<int, int>& histogram, int colors) {
    std::vector<Box> boxes(1);
    for (const auto& [key, count] : histogram)
        boxes[0].entries.push_back({key, count});
    while (static_cast<int>(boxes.size()) < colors) {
        // Split the box with the widest spread, weighted by how much it covers.
        int pick = -1;
        double best = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& box = boxes[i];
            if (box.entries.size() < 2)
                continue;
            const double score =
                box.Range(box.LongestChannel()) * std::sqrt(static_cast<double>(box.Weight()));
            if (score > best) {
                best = score;
                pick = static_cast<int>(i);
            }
        }
        if (pick < 0)
            break;
        Box& box = boxes[static_cast<size_t>(pick)];
        const int c = box.LongestChannel();
        std::sort(box.entries.begin(), box.entries.end(), [c](const Entry& a, const Entry& b) {
            return Channel(a.key, c) != Channel(b.key, c) ? Channel(a.key, c) < Channel(b.key, c)
                                                          : a.key < b.key;
        });
        const long half = box.Weight() / 2;
        long running = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.entries.size(); ++i) {
            running += box.entries[i].count;
            cut = i + 1;
            if (running >= half)
                break;
        }
        Box upper;
        upper.entries.assign(box.entries.begin() + static_cast<long>(cut), box.entries.end());
        box.entries.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<int> picked;
    for (const Box& box : boxes)
        picked.push_back(box.Average());
    return picked;
}

int Distance(int a, int b) {
    const int dr = Channel(a, 0) - Channel(b, 0);
    const int dg = Channel(a, 1) - Channel(b, 1);
    const int db = Channel(a, 2) - Channel(b, 2);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

IndexedPicture Quantize(const Canvas& canvas) {
    IndexedPicture out;
    out.width = canvas.Width();
    out.height = canvas.Height();

    // 1. Every pixel to a 15-bit colour, or to "not drawn". Colours of pixels
    // marked exact and of the others are counted apart.
    std::vector<int> keys(static_cast<size_t>(out.width) * out.height, kNone);
    std::map<int, int> exact, rest;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Pixel& p = canvas.At(x, y);
            if (p.alpha < 0.5f)
                continue;
            const int key = Key(Level(p.color.r, p.dither, x, y), Level(p.color.g, p.dither, x, y),
                                Level(p.color.b, p.dither, x, y));
            keys[static_cast<size_t>(y) * out.width + x] = key;
            ++(p.exact ? exact : rest)[key];
        }
    }
    for (const auto& entry : exact)
        rest.erase(entry.first);

    // 2. The palette: every colour as it is when they fit. Otherwise the exact
    // colours stay and a median cut chooses among the others; only when the
    // exact colours alone leave too little room is everything cut.
    std::map<int, int> histogram = exact;
    for (const auto& [key, count] : rest)
        histogram[key] += count;
    std::vector<int> colors;
    const int total = static_cast<int>(histogram.size());
    if (total <= kMaxColors) {
        for (const auto& entry : histogram)
            colors.push_back(entry.first);
    } else if (static_cast<int>(exact.size()) <= kMaxColors - kMinCutColors) {
        out.reducedFrom = total;
        out.keptExact = static_cast<int>(exact.size());
        for (const auto& entry : exact)
            colors.push_back(entry.first);
        const std::vector<int> cut = MedianCut(rest, kMaxColors - static_cast<int>(exact.size()));
        colors.insert(colors.end(), cut.begin(), cut.end());
    } else {
        out.reducedFrom = total;
        colors = MedianCut(histogram, kMaxColors);
    }
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());

    out.palette.push_back({0, 0, 0});
    for (int key : colors)
        out.palette.push_back(
            {Widen5(Channel(key, 0)), Widen5(Channel(key, 1)), Widen5(Channel(key, 2))});

    // 3. Each colour's index: itself, or the nearest palette colour.
    std::vector<uint8_t> index(1 << 15, 0);
    for (const auto& entry : histogram) {
        size_t best = 0;
        for (size_t i = 1; i < colors.size(); ++i) {
            if (Distance(entry.first, colors[i]) < Distance(entry.first, colors[best]))
                best = i;
        }
        index[static_cast<size_t>(entry.first)] = static_cast<uint8_t>(best + 1);
    }
    out.indices.assign(keys.size(), 0);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != kNone)
            out.indices[i] = index[static_cast<size_t>(keys[i])];
    }
    return out;
}

}  // namespace assetgen
