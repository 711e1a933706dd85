// Draws lookout's head picture (lookout.bmp) and its icon (lookout.ico, lookout.png).
// Usage: draw_pictures <folder>
//
// The window is cut to the picture's non-black pixels, so the outline below is what
// the user sees as the window's shape: pure black only outside the head.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../../window/eye_geometry.h"

namespace {

constexpr int kWidth = 184;
constexpr int kHeight = 280;

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }

Rgb Plus(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

double Smoothstep(double edge0, double edge1, double x)
{
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double Bump(double x, double y, double cx, double cy, double sx, double sy)
{
    double dx = (x - cx) / sx, dy = (y - cy) / sy;
    return std::exp(-(dx * dx + dy * dy) / 2);
}

// ---- Outline ---------------------------------------------------------------

struct Knot {
    double row, column;
};

// First and last head column at chosen rows; the rows between follow a smooth curve.
// The top rows trace a round dome; the head is widest at rows 137-159.
constexpr Knot kLeft[] = {{1, 87},   {2, 79},   {3, 74},   {4, 70},   {6, 65},   {9, 58},
                          {13, 50},  {20, 40},  {28, 30},  {40, 19},  {60, 9},   {80, 3},
                          {100, 1},  {136, 1},  {137, 0},  {159, 0},  {160, 1},  {180, 8},
                          {200, 26}, {220, 41}, {240, 54}, {260, 67}, {279, 84}};
constexpr Knot kRight[] = {{1, 94},    {2, 102},   {3, 107},   {4, 111},   {6, 118},
                           {9, 124},   {13, 131},  {20, 141},  {28, 151},  {40, 162},
                           {60, 173},  {80, 179},  {100, 181}, {114, 182}, {160, 182},
                           {180, 174}, {200, 157}, {220, 141}, {240, 129}, {260, 116},
                           {279, 98}};

// Monotone cubic through the knots (Fritsch-Carlson), so the edge never overshoots
// a knot and a flat stretch stays flat.
template <std::size_t N>
double Interpolate(const Knot (&k)[N], double row)
{
    std::array<double, N> slope{};
    std::array<double, N - 1> secant{};
    for (std::size_t i = 0; i + 1 < N; ++i)
        secant[i] = (k[i + 1].column - k[i].column) / (k[i + 1].row - k[i].row);
    slope[0] = secant[0];
    slope[N - 1] = secant[N - 2];
    for (std::size_t i = 1; i + 1 < N; ++i)
        slope[i] = secant[i - 1] * secant[i] <= 0 ? 0 : (secant[i - 1] + secant[i]) / 2;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (secant[i] == 0) {
            slope[i] = slope[i + 1] = 0;
            continue;
        }
        double a = slope[i] / secant[i], b = slope[i + 1] / secant[i];
        if (a * a + b * b > 9) {
            double t = 3 / std::sqrt(a * a + b * b);
            slope[i] = t * a * secant[i];
            slope[i + 1] = t * b * secant[i];
        }
    }
    std::size_t i = 0;
    while (i + 2 < N && row > k[i + 1].row)
        ++i;
    double h = k[i + 1].row - k[i].row, t = (row - k[i].row) / h;
    double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * k[i].column + (t3 - 2 * t2 + t) * h * slope[i] +
           (-2 * t3 + 3 * t2) * k[i + 1].column + (t3 - t2) * h * slope[i + 1];
}

// Which pixels belong to the head. Row 0 stays empty; row 6 keeps a one-pixel nick.
std::vector<bool> HeadMask()
{
    std::vector<bool> mask(kWidth * kHeight, false);
    for (int y = 1; y < kHeight; ++y) {
        int left = static_cast<int>(std::lround(Interpolate(kLeft, y)));
        int right = static_cast<int>(std::lround(Interpolate(kRight, y)));
        for (int x = left; x <= right; ++x)
            mask[y * kWidth + x] = true;
    }
    mask[6 * kWidth + 116] = false;
    return mask;
}

// Distance from each head pixel to the nearest pixel outside it (the image border
// counts as outside); capped, since only the rim region needs it.
std::vector<double> EdgeDistance(const std::vector<bool>& mask, int cap)
{
    std::vector<double> distance(mask.size(), 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!mask[y * kWidth + x])
                continue;
            int best = cap * cap;
            for (int dy = -cap; dy <= cap; ++dy)
                for (int dx = -cap; dx <= cap; ++dx) {
                    int d2 = dx * dx + dy * dy, u = x + dx, v = y + dy;
                    bool outside = u < 0 || v < 0 || u >= kWidth || v >= kHeight || !mask[v * kWidth + u];
                    if (outside && d2 < best)
                        best = d2;
                }
            distance[y * kWidth + x] = std::sqrt(static_cast<double>(best));
        }
    return distance;
}

// Three box blurs approximate a Gaussian; used to round off the height field's creases.
void Blur(std::vector<double>& field, int radius)
{
    std::vector<double> copy(field.size());
    for (int pass = 0; pass < 6; ++pass) {
        bool horizontal = pass % 2 == 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double sum = 0;
                for (int d = -radius; d <= radius; ++d) {
                    int u = std::clamp(horizontal ? x + d : x, 0, kWidth - 1);
                    int v = std::clamp(horizontal ? y : y + d, 0, kHeight - 1);
                    sum += field[v * kWidth + u];
                }
                copy[y * kWidth + x] = sum / (2 * radius + 1);
            }
        field.swap(copy);
    }
}

// ---- Face ------------------------------------------------------------------

// The program paints its eyes over these centres.
constexpr double kEyeY = eyeY;
constexpr double kEyeX[] = {leftEyeX, rightEyeX};
constexpr double kNoseX = 91;

const Rgb kSkin{244, 194, 154};
const Rgb kShade{120, 62, 50};
const Rgb kOutline{52, 30, 24};
const Rgb kBrow{96, 58, 40};
const Rgb kCheek{240, 120, 112};
const Rgb kEyeball{128, 255, 128};
const Rgb kPupil{10, 8, 6};
const Rgb kMouth{112, 30, 36};
const Rgb kTongue{222, 100, 104};
const Rgb kTeeth{246, 242, 232};

// Skin under light k: 0 is the deepest shadow, 1 full light, a little more is allowed.
// Shadows turn a warm brown rather than grey.
Rgb Lit(Rgb skin, double k) { return Plus(kShade, Scale(Plus(skin, Scale(kShade, -1)), k)); }

// Surface relief added to the dome: sockets, brows, nose, cheeks, chin.
double Relief(double x, double y)
{
    double h = 0;
    for (double ex : kEyeX) {
        h -= 7 * Bump(x, y, ex, kEyeY, 13, 12);
        h += 5 * Bump(x, y, ex + (ex < kNoseX ? 3 : -3), kEyeY - 22, 16, 6);
        h += 7 * Bump(x, y, ex + (ex < kNoseX ? 8 : -8), 203, 17, 15);
    }
    h += 9 * Bump(x, y, kNoseX, 180, 6, 16);
    h += 8 * Bump(x, y, kNoseX, 196, 9, 7);
    h += 4 * Bump(x, y, kNoseX - 9, 199, 4.5, 4);
    h += 4 * Bump(x, y, kNoseX + 9, 199, 4.5, 4);
    h += 4 * Bump(x, y, kNoseX, 262, 14, 9);
    return h;
}

// Coverage of a stroke of the given half width at distance d from its centre line.
double Stroke(double d, double halfWidth) { return 1 - Smoothstep(halfWidth - 0.6, halfWidth + 0.6, d); }

// Paints eyebrows, eyes, nostrils and mouth over the lit skin.
Rgb Features(Rgb c, double x, double y)
{
    for (double ex : kEyeX) {
        double dx = x - ex, dy = y - kEyeY, r = std::hypot(dx, dy);

        // A raised, friendly brow: an arc that tapers at both ends.
        double along = dx / 18;
        if (y < kEyeY - 10 && std::abs(along) < 1.1) {
            double arc = std::abs(std::hypot(dx, y - (kEyeY - 2)) - 27);
            c = Mix(c, kBrow, Stroke(arc, 0.5 + 2.6 * std::sqrt(std::max(0.0, 1 - along * along))));
        }

        // Upper lid: a lit fold with its crease above the eye; then the lash line
        // around the eye, heavier on top than below.
        double upper = Smoothstep(0, -8, dy) * Smoothstep(15, 9, std::abs(dx));
        c = Mix(c, Mix(c, Rgb{255, 228, 204}, 0.45), upper * Stroke(std::abs(r - 16), 1.6));
        c = Mix(c, Scale(c, 0.6), upper * Stroke(std::abs(r - 18.7), 0.8));
        c = Mix(c, Scale(c, 0.8), Smoothstep(0, 6, dy) * Stroke(std::abs(r - 15), 1.5));
        c = Mix(c, kOutline, Stroke(std::abs(r - 13.2), 0.9 + 1.1 * Smoothstep(2, -8, dy)));
        if (r < 12.5) {
            Rgb eye = Mix(kEyeball, Scale(kEyeball, 0.8), Smoothstep(4, 12, std::hypot(dx + 3, dy + 4)));
            eye = Mix(eye, kPupil, Stroke(r, 7));
            eye = Mix(eye, Rgb{255, 255, 255}, Stroke(std::hypot(dx + 2.5, dy + 2.5), 1.6));
            c = Mix(c, eye, Stroke(r, 12));
        }
    }

    // Shadow under the nose tip, and the nostrils.
    c = Mix(c, Scale(c, 0.8), 0.6 * Bump(x, y, kNoseX, 206, 11, 2.5));
    for (double side : {-1.0, 1.0})
        c = Mix(c, Rgb{120, 56, 46}, Stroke(std::hypot((x - kNoseX - 6.5 * side) / 1.5, y - 202), 1.8));

    // An open smile: between two downward arcs, teeth along the top, tongue below.
    double u = (x - kNoseX) / 28;
    if (std::abs(u) < 1.15) {
        double q = 1 - u * u;
        double top = 226 + 3 * q, bottom = 226 + 17 * q;
        double inside = std::min(y - top, bottom - y);
        if (inside > -2) {
            Rgb mouth = kMouth;
            mouth = Mix(mouth, kTongue, Stroke(std::hypot((x - kNoseX) / 1.9, y - bottom - 2), 8));
            mouth = Mix(mouth, kTeeth, Stroke(std::abs(y - top - 2.2), 1.9) * Smoothstep(0.95, 0.7, std::abs(u)));
            c = Mix(c, mouth, Smoothstep(-0.5, 0.5, inside));
            c = Mix(c, kOutline, std::abs(u) < 1 ? Stroke(std::abs(inside), 1.1) : 0);
        }
        // Dimples at the mouth's corners.
        for (double side : {-1.0, 1.0}) {
            double d = std::hypot(x - (kNoseX + side * 33), y - 222);
            if ((x - kNoseX) * side > 28)
                c = Mix(c, Scale(c, 0.7), Stroke(std::abs(d - 6), 0.8) * Smoothstep(0, 4, y - 220));
        }
    }
    // The crease between lower lip and chin.
    double chin = (x - kNoseX) / 9;
    if (std::abs(chin) < 1)
        c = Mix(c, Scale(c, 0.75), (1 - chin * chin) * Stroke(std::abs(y - (251 - 2 * chin * chin)), 0.9));
    return c;
}

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    std::vector<bool> opaque;
};

Image DrawHead()
{
    std::vector<bool> mask = HeadMask();
    std::vector<double> distance = EdgeDistance(mask, 48);

    // The head as a rounded slab: steep at the rim, level inside; features on top.
    constexpr double depth = 48;
    std::vector<double> height(mask.size(), -6);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (mask[y * kWidth + x]) {
                double t = 1 - std::min(distance[y * kWidth + x] / depth, 1.0);
                height[y * kWidth + x] = depth * std::sqrt(1 - t * t);
            }
    Blur(height, 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            height[y * kWidth + x] += Relief(x, y);

    const double lightLength = std::sqrt(0.5 * 0.5 + 0.6 * 0.6 + 0.65 * 0.65);
    const double lx = -0.5 / lightLength, ly = -0.6 / lightLength, lz = 0.65 / lightLength;
    // Half vector between the light and the viewer, for the shine on the dome.
    double hx = lx, hy = ly, hz = lz + 1, hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl, hy /= hl, hz /= hl;

    Image image{kWidth, kHeight, std::vector<Rgb>(mask.size()), mask};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            int i = y * kWidth + x;
            if (!mask[i])
                continue;
            auto at = [&](int u, int v) {
                return height[std::clamp(v, 0, kHeight - 1) * kWidth + std::clamp(u, 0, kWidth - 1)];
            };
            double nx = -(at(x + 1, y) - at(x - 1, y)) / 2, ny = -(at(x, y + 1) - at(x, y - 1)) / 2, nz = 1;
            double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= nl, ny /= nl, nz /= nl;

            double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
            double shine = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 40);
            // Warm bounce light from below keeps the shadow side from going grey.
            double bounce = std::max(0.0, ny) * 0.12;

            Rgb skin = kSkin;
            for (double ex : kEyeX)
                skin = Mix(skin, kCheek, 0.45 * Bump(x, y, ex + (ex < kNoseX ? 10 : -10), 200, 13, 10));
            skin = Mix(skin, kCheek, 0.25 * Bump(x, y, kNoseX, 194, 7, 6));

            Rgb lit = Lit(skin, 0.2 + 0.9 * diffuse);
            lit = Mix(lit, Rgb{255, 170, 120}, bounce);
            lit = Mix(lit, Rgb{255, 250, 240}, 0.55 * shine);
            lit = Features(lit, x, y);

            // Dark outline along the cut edge.
            double d = distance[i];
            lit = Mix(lit, kOutline, 1 - Smoothstep(1.4, 2.8, d));
            image.pixels[i] = lit;
        }
    return image;
}

// ---- Icon ------------------------------------------------------------------

constexpr int kIcon = 32;

// The head reduced to 32x32: each icon pixel averages the head pixels under it.
Image ShrinkToIcon(const Image& head)
{
    const double scale = head.height / 30.0; // head pixels per icon pixel
    const double left = (kIcon - head.width / scale) / 2, top = 1;
    Image icon{kIcon, kIcon, std::vector<Rgb>(kIcon * kIcon), std::vector<bool>(kIcon * kIcon, false)};
    constexpr int samples = 8;
    for (int y = 0; y < kIcon; ++y)
        for (int x = 0; x < kIcon; ++x) {
            Rgb sum;
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    int u = static_cast<int>(std::floor((x + (sx + 0.5) / samples - left) * scale));
                    int v = static_cast<int>(std::floor((y + (sy + 0.5) / samples - top) * scale));
                    if (u < 0 || v < 0 || u >= head.width || v >= head.height || !head.opaque[v * head.width + u])
                        continue;
                    sum = Plus(sum, head.pixels[v * head.width + u]);
                    ++covered;
                }
            int i = y * kIcon + x;
            icon.opaque[i] = covered * 2 >= samples * samples;
            if (covered)
                icon.pixels[i] = Scale(sum, 1.0 / covered);
        }

    // Averaging blurs the face; sharpen it back against each pixel's neighbours,
    // and give the head a dark rim where it meets the transparent outside.
    Image shrunk = icon;
    for (int y = 0; y < kIcon; ++y)
        for (int x = 0; x < kIcon; ++x) {
            bool rim = false;
            Rgb around;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int u = x + dx, v = y + dy;
                    bool inside = u >= 0 && v >= 0 && u < kIcon && v < kIcon && shrunk.opaque[v * kIcon + u];
                    rim |= !inside && dx * dy == 0;
                    if (inside) {
                        around = Plus(around, shrunk.pixels[v * kIcon + u]);
                        ++count;
                    }
                }
            Rgb& c = icon.pixels[y * kIcon + x];
            if (count)
                around = Scale(around, 1.0 / count);
            c = Plus(c, Scale(Plus(c, Scale(around, -1)), 0.9));
            if (rim)
                c = Mix(shrunk.pixels[y * kIcon + x], kOutline, 0.6);
        }

    // Eyes and smile drawn on whole pixels, larger than shrinking would leave them,
    // so they still read at 32x32. Each eye is three by three, the pupil in the middle.
    int eyeX[2], eyeY = static_cast<int>(top + kEyeY / scale);
    for (int e = 0; e < 2; ++e) {
        eyeX[e] = static_cast<int>(left + kEyeX[e] / scale);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                icon.pixels[(eyeY + dy) * kIcon + eyeX[e] + dx] = dx == 0 && dy == 0 ? kPupil : kEyeball;
    }
    int mouthY = static_cast<int>(top + 236 / scale);
    for (int x = eyeX[0] + 3; x <= eyeX[1] - 3; ++x) {
        bool corner = x == eyeX[0] + 3 || x == eyeX[1] - 3;
        icon.pixels[(corner ? mouthY - 1 : mouthY) * kIcon + x] = kMouth;
    }
    return icon;
}

struct Palette {
    std::vector<Rgb> colours;
    std::vector<int> index; // per pixel
};

// The icon's 16 colours: black for the transparent pixels, the face's own paints,
// and a ramp of skin tones from shadow to shine.
Palette ToPalette(const Image& icon)
{
    Palette palette{{Rgb{}, kOutline, kPupil, kEyeball, kBrow, kMouth, kTongue, Mix(kSkin, kCheek, 0.4)},
                    std::vector<int>(kIcon * kIcon, 0)};
    for (double k : {0.25, 0.4, 0.55, 0.7, 0.82, 0.94, 1.04})
        palette.colours.push_back(Lit(kSkin, k));
    palette.colours.push_back(Mix(kSkin, Rgb{255, 250, 240}, 0.4));
    const int size = static_cast<int>(palette.colours.size());
    for (int i = 0; i < kIcon * kIcon; ++i) {
        if (!icon.opaque[i])
            continue;
        double best = 1e30;
        for (int p = 1; p < size; ++p) {
            const Rgb &a = icon.pixels[i], &b = palette.colours[p];
            double d = (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
            if (d < best)
                best = d, palette.index[i] = p;
        }
    }
    return palette;
}

// ---- Files -----------------------------------------------------------------

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t value, int size) // little-endian
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutBig(Bytes& out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A pure black pixel inside the head would punch a hole in the window; keeping
// every channel at 6 or more rules that out.
std::array<std::uint8_t, 3> Channels(Rgb c, bool opaque)
{
    if (!opaque)
        return {0, 0, 0};
    auto channel = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 6L, 255L)); };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

void PutInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t imageSize, int colours)
{
    Put(out, 40, 4);
    Put(out, width, 4);
    Put(out, height, 4);
    Put(out, 1, 2); // planes
    Put(out, bits, 2);
    Put(out, 0, 4); // BI_RGB
    Put(out, imageSize, 4);
    Put(out, 2835, 4); // 72 dpi
    Put(out, 2835, 4);
    Put(out, colours, 4);
    Put(out, 0, 4);
}

Bytes Bmp(const Image& image)
{
    std::uint32_t stride = (image.width * 3 + 3) / 4 * 4;
    std::uint32_t size = stride * image.height;
    Bytes out{'B', 'M'};
    Put(out, 14 + 40 + size, 4);
    Put(out, 0, 4);
    Put(out, 14 + 40, 4);
    PutInfoHeader(out, image.width, image.height, 24, size, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            int i = y * image.width + x;
            auto [r, g, b] = Channels(image.pixels[i], image.opaque[i]);
            out.insert(out.end(), {b, g, r});
        }
        out.resize(out.size() + stride - image.width * 3, 0);
    }
    return out;
}

Bytes Ico(const Image& icon, const Palette& palette)
{
    constexpr std::uint32_t xorStride = (kIcon * 4 + 31) / 32 * 4, andStride = (kIcon + 31) / 32 * 4;
    constexpr std::uint32_t imageSize = (xorStride + andStride) * kIcon;
    constexpr std::uint32_t dibSize = 40 + 16 * 4 + imageSize;
    Bytes out;
    Put(out, 0, 2);
    Put(out, 1, 2); // icon
    Put(out, 1, 2); // one image
    out.insert(out.end(), {kIcon, kIcon, 16, 0});
    Put(out, 1, 2);
    Put(out, 4, 2);
    Put(out, dibSize, 4);
    Put(out, 6 + 16, 4);

    PutInfoHeader(out, kIcon, kIcon * 2, 4, imageSize, 16);
    for (const Rgb& c : palette.colours) {
        auto [r, g, b] = Channels(c, &c != palette.colours.data());
        out.insert(out.end(), {b, g, r, 0});
    }
    for (int y = kIcon - 1; y >= 0; --y)
        for (int x = 0; x < kIcon; x += 2)
            out.push_back(static_cast<std::uint8_t>(palette.index[y * kIcon + x] << 4 | palette.index[y * kIcon + x + 1]));
    for (int y = kIcon - 1; y >= 0; --y)
        for (std::uint32_t byte = 0; byte < andStride; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                int x = static_cast<int>(byte * 8) + bit;
                if (x >= kIcon || !icon.opaque[y * kIcon + x])
                    bits |= 0x80 >> bit;
            }
            out.push_back(bits);
        }
    return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// RGBA PNG of the icon; the pixels go uncompressed (stored deflate blocks), which
// for 32x32 costs a few kilobytes and saves a compressor.
Bytes Png(const Image& icon, const Palette& palette)
{
    Bytes raw;
    for (int y = 0; y < kIcon; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < kIcon; ++x) {
            int i = y * kIcon + x;
            auto [r, g, b] = Channels(palette.colours[palette.index[i]], icon.opaque[i]);
            raw.insert(raw.end(), {r, g, b, static_cast<std::uint8_t>(icon.opaque[i] ? 255 : 0)});
        }
    }

    Bytes zlib{0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        Put(zlib, static_cast<std::uint32_t>(length), 2);
        Put(zlib, static_cast<std::uint32_t>(~length & 0xFFFF), 2);
        zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + length);
    }
    std::uint32_t a = 1, b = 0; // Adler-32
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig(zlib, b << 16 | a);

    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        PutBig(out, static_cast<std::uint32_t>(data.size()));
        std::size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        PutBig(out, Crc32(out.data() + start, out.size() - start));
    };
    Bytes header;
    PutBig(header, kIcon);
    PutBig(header, kIcon);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
    chunk("IHDR", header);
    chunk("IDAT", zlib);
    chunk("IEND", {});
    return out;
}

bool Write(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    Image head = DrawHead();
    Image icon = ShrinkToIcon(head);
    Palette palette = ToPalette(icon);
    if (!Write(folder + "/lookout.bmp", Bmp(head)) || !Write(folder + "/lookout.ico", Ico(icon, palette)) ||
        !Write(folder + "/lookout.png", Png(icon, palette))) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
