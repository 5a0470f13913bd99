// makeart: draws every picture the game loads from Media/ and writes them as
// 8-bit RGBA PNG files into the directory named on the command line. All art
// is procedural and the output is the same, byte for byte, on every run: the
// only noise comes from a fixed-seed hash of our own.
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// ---------------------------------------------------------------- constants

const double kPi = 3.14159265358979323846;

const int kSheetSize = 1024;          // sprite sheet, square
const int kCell = 128;                // sheet cell pitch
const int kSmallMargin = 14;          // margin of 100-pixel pictures in their cell
const int kSmallSize = 100;           // tile, actor, decal, projectile pictures
const int kLargeSize = 126;           // obstacle, blast, tracer, crosshair, title pictures

const int kTileLeft = 14;             // tile i: left 14 + 128 (i mod 2), top 14 + 128 (i div 2)
const int kTileTop = 14;
const int kTileCount = 16;
const int kActorLeft = 526;           // actor i: left 526 + 128 (i mod 2), top 14 + 128 (i div 2)
const int kActorTop = 14;
const int kDecalLeft = 526;           // decal i: left 526 + 128 i, top 270
const int kDecalTop = 270;
const int kProjectileLeft = 526;
const int kProjectileTop = 526;
const int kObstacleLeft = 513;        // prop i: left 513 + 128 (i mod 2), top 641 + 128 (i div 2)
const int kObstacleTop = 641;
const int kCarLeft = 513;
const int kCarTop = 897;
const int kCarWidth = 254;
const int kBlastLeft = 513;
const int kBlastTop = 385;
const int kTracerLeft = 641;
const int kTracerTop = 385;
const int kCrosshairLeft = 257;
const int kCrosshairTop = 897;
const int kTitleLeft = 257;           // the title strip, 126 wide and 510 tall, turned
const int kTitleTop = 385;
const int kTitleLength = 510;
const int kEdgeTexelX = 448;          // flat wall outline colour
const int kEdgeTexelY = 704;
const int kWallTexelX = 448;          // flat wall fill colour
const int kWallTexelY = 832;
const int kFlatBlockHalf = 16;        // solid block around each flat texel
const double kWallOutline[3] = {0.09, 0.08, 0.08};  // near-black line around every wall
const double kWallFill[3] = {0.42, 0.29, 0.24};     // dark warm stone, darker than walkway and floor

const double kAsphaltGrey = 0.23;     // ground textures: base brightness, and how far noise moves it
const double kAsphaltWear = 0.08;
const double kAsphaltGrain = 0.06;
const double kAsphaltStone = 0.05;    // a light stone of the aggregate, on 1 pixel in 70
const double kAsphaltStoneRarity = 0.986;
const double kWalkwayGrey = 0.52;
const double kSlabToneSpread = 0.025;
const double kWalkwayGrain = 0.05;
const double kWalkwayMottle = 0.07;
const double kGrassTuftContrast = 0.14;
const double kGrassBladeContrast = 0.1;
const double kGrassDryness = 0.5;     // how far the driest grass goes towards straw
const double kEarthFrom = 0.16;       // bare earth shows where its mottle rises past this
const double kEarthTo = 0.26;
const double kEarthStrength = 0.35;   // and covers the grass at most this much
const double kFloorToneSpread = 0.04;
const double kFloorGrain = 0.04;
const double kFloorMottle = 0.1;
const int kFontLeft = 256;            // sheet font: 8 x 12 cells of 32 pixels
const int kFontCell = 32;
const int kFontColumns = 8;
const int kFontGlyphs = 96;           // character codes 32..127
const int kFontInset = 3;             // the game samples each cell less 3 pixels per side
const double kFontSize = 23;          // sheet font: typeface size and baseline in its cell
const double kFontBaseline = 22;

const int kTileVoid = 0;              // tile kinds
const int kTileCentreLine = 4;
const int kTileStreet = 5;
const int kTileWalkway = 7;
const int kTileGround = 8;
const int kTileFloor = 9;
const int kTileWall = 10;
const int kTileOuterDoor = 11;
const int kTileCorner = 12;
const int kTileJunction = 13;
const int kTileInnerDoor = 14;
const int kTileInnerWall = 15;

const int kVignetteSize = 512;        // darkness and blood overlays
const int kPatternSize = 128;         // bright and dark patterns, one 64-unit repeat
const int kIconSize = 256;            // the desktop icon, square

const int kDashWidth = 1024;          // overlay sheet
const int kDashHeight = 256;
const int kDashCell = 20;             // overlay glyph cell, 32 per row, codes 32..126
const int kDashColumns = 32;
const int kDashGlyphs = 95;
const int kPanelTop = 59;             // panel pieces: style s, column j, row i at (60 s + 20 j, 59 + 20 i)
const int kPanelPiece = 20;
const int kPanelStyles = 3;
const int kPointerLeft = 440;
const int kPointerTop = 60;
const int kPointerWidth = 40;
const int kPointerHeight = 60;
const int kPointerTipX = 12;          // the pointer's hot spot from its top-left corner
const int kPointerTipY = 10;
const int kBarWidth = 640;
const int kBarHeight = 68;
const int kTopBarTop = 120;
const int kBottomBarTop = 188;

const char* const kSansBoldPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kSerifBoldPath = "/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed-Bold.ttf";

// ---------------------------------------------------------------- records

// A colour with straight (not premultiplied) alpha, channels 0..1.
struct Colour {
    double r, g, b, a;
};

const Colour kGrass = {0.24, 0.37, 0.14, 1};     // open ground: lush and dry grass, bare earth
const Colour kDryGrass = {0.36, 0.39, 0.17, 1};
const Colour kEarth = {0.37, 0.31, 0.22, 1};

// How the glyphs of one font are drawn, in pixels.
struct GlyphStyle {
    double stretch;   // sideways scale of the typeface's letter shapes
    double maxWidth;  // widest white body; wider glyphs are squeezed to it
    double outline;   // width of the dark outline stroke, half of it outside the body
    double shadow;    // offset of the drop shadow, down and right
    double bolden;    // width of a white stroke that thickens the body, 0 for none
};

// The sheet font is drawn at a pen advance of 0.7 of its 26-pixel glyphs
// (18.2 pixels): its letters are widened and thickened until text at that
// pitch reads as words. The overlay font keeps the typeface's shapes.
const GlyphStyle kSheetFontStyle = {1.15, 18.5, 3, 1.2, 0.8};
const GlyphStyle kDashFontStyle = {1, 9.5, 2, 1, 0};

// ---------------------------------------------------------------- globals

FT_Library fontLibrary = nullptr;            // FreeType, open while drawing
FT_Face sansFace = nullptr;                  // DejaVu Sans Bold
FT_Face serifFace = nullptr;                 // DejaVu Serif Condensed Bold, the title
cairo_font_face_t* sansFont = nullptr;       // cairo faces over the two
cairo_font_face_t* serifFont = nullptr;
uint32_t scatterState = 0;                   // fixed-seed generator for scattered shapes

// ---------------------------------------------------------------- noise

// Integer hash of a lattice point and a seed: the base of all pixel noise.
uint32_t hash3(int x, int y, int seed) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + (uint32_t)seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Hash as a value in 0..1.
double hashUnit(int x, int y, int seed) {
    return (hash3(x, y, seed) & 0xFFFFFF) / 16777215.0;
}

// Smooth value noise on a lattice of periodX by periodY cells across 'size'
// pixels, so the result repeats every 'size' pixels: pictures made of it tile
// seamlessly.
double periodicNoiseXY(double x, double y, int size, int periodX, int periodY, int seed) {
    double fx = x * periodX / size, fy = y * periodY / size;
    int ix = (int)std::floor(fx), iy = (int)std::floor(fy);
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    int x0 = ((ix % periodX) + periodX) % periodX, x1 = (x0 + 1) % periodX;
    int y0 = ((iy % periodY) + periodY) % periodY, y1 = (y0 + 1) % periodY;
    double a = hashUnit(x0, y0, seed) + (hashUnit(x1, y0, seed) - hashUnit(x0, y0, seed)) * tx;
    double b = hashUnit(x0, y1, seed) + (hashUnit(x1, y1, seed) - hashUnit(x0, y1, seed)) * tx;
    return a + (b - a) * ty;
}

// Periodic value noise with square lattice cells.
double periodicNoise(double x, double y, int size, int period, int seed) {
    return periodicNoiseXY(x, y, size, period, period, seed);
}

// Three octaves of periodic noise, 0..1, for organic patches.
double periodicFractal(double x, double y, int size, int period, int seed) {
    return (periodicNoise(x, y, size, period, seed) * 4 + periodicNoise(x, y, size, period * 2, seed + 1) * 2 +
            periodicNoise(x, y, size, period * 4, seed + 2)) / 7;
}

// A lattice value for tile noise. Points on the tile's border read the same
// along all four edges and from either end of each, so every edge of the tile
// has one symmetric profile and tiles at any quarter turn meet without a step;
// inside the border the values are free, so the tile shows no mirror pattern.
double evenBorderValue(int i, int j, int period, int seed) {
    if (i == 0 || j == 0) return hashUnit(std::min(i + j, period - i - j), 0, seed);
    return hashUnit(i, j, seed);
}

// Smooth value noise over a 100-pixel tile on a period x period lattice whose
// border is even (above); pixel centres are sampled.
double evenBorderNoise(int x, int y, int period, int seed) {
    double fx = (x + 0.5) * period / kSmallSize, fy = (y + 0.5) * period / kSmallSize;
    int x0 = (int)fx, y0 = (int)fy, x1 = (x0 + 1) % period, y1 = (y0 + 1) % period;
    double tx = fx - x0, ty = fy - y0;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    double a = evenBorderValue(x0, y0, period, seed), b = evenBorderValue(x1, y0, period, seed);
    double c = evenBorderValue(x0, y1, period, seed), d = evenBorderValue(x1, y1, period, seed);
    double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

// Soft variation of a ground tile around 0, mostly within -0.15..0.15: three
// octaves of even-border noise, seamless at every rotation of the tile.
double mottle(int x, int y, int period, int seed) {
    double n = evenBorderNoise(x, y, period, seed) * 4 + evenBorderNoise(x, y, period * 2, seed + 1) * 2 +
               evenBorderNoise(x, y, period * 4, seed + 2);
    return n / 7 - 0.5;
}

// Next value of the scatter generator, 0..1 (xorshift, seeded per picture).
double scatter() {
    scatterState ^= scatterState << 13;
    scatterState ^= scatterState >> 17;
    scatterState ^= scatterState << 5;
    return (scatterState & 0xFFFFFF) / 16777215.0;
}

// Scatter value in lo..hi.
double scatterRange(double lo, double hi) {
    return lo + (hi - lo) * scatter();
}

// ---------------------------------------------------------------- pixels

double clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// Smooth ramp from 0 at e0 to 1 at e1.
double smoothStep(double e0, double e1, double v) {
    double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Writes one pixel of an ARGB32 cairo surface (the surface must be flushed).
void putPixel(cairo_surface_t* s, int x, int y, Colour c) {
    unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    double a = clamp01(c.a);
    uint32_t A = (uint32_t)std::lround(a * 255);
    uint32_t R = (uint32_t)std::lround(clamp01(c.r) * a * 255);
    uint32_t G = (uint32_t)std::lround(clamp01(c.g) * a * 255);
    uint32_t B = (uint32_t)std::lround(clamp01(c.b) * a * 255);
    ((uint32_t*)row)[x] = A << 24 | R << 16 | G << 8 | B;
}

// Copies one ARGB32 pixel to another place of the same surface.
void copyPixel(cairo_surface_t* s, int fromX, int fromY, int toX, int toY) {
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    ((uint32_t*)(data + toY * stride))[toX] = ((uint32_t*)(data + fromY * stride))[fromX];
}

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// The colour lightened (amount > 0) or darkened (amount < 0), alpha kept.
Colour shade(Colour c, double amount) {
    if (amount >= 0) return mix(c, {1, 1, 1, c.a}, amount);
    return mix(c, {0, 0, 0, c.a}, -amount);
}

void setColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

// Converts a cairo surface (premultiplied ARGB32) to straight RGBA bytes and
// writes it as an 8-bit RGBA PNG; the colour type is fixed so the game always
// gets four channels. Returns false when the file cannot be written.
bool writePng(cairo_surface_t* s, const std::string& path) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    std::vector<unsigned char> rgba((size_t)w * h * 4);
    for (int y = 0; y < h; y++) {
        const uint32_t* row = (const uint32_t*)(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
        for (int x = 0; x < w; x++) {
            uint32_t p = row[x], a = p >> 24;
            unsigned char* out = &rgba[((size_t)y * w + x) * 4];
            for (int c = 0; c < 3; c++) {
                uint32_t v = (p >> (16 - 8 * c)) & 0xFF;
                out[c] = a ? (unsigned char)((v * 255 + a / 2) / a) : 0;
            }
            out[3] = (unsigned char)a;
        }
    }
    lodepng::State state;
    state.encoder.auto_convert = 0;
    state.info_raw.colortype = LCT_RGBA;
    state.info_raw.bitdepth = 8;
    state.info_png.color.colortype = LCT_RGBA;
    state.info_png.color.bitdepth = 8;
    std::vector<unsigned char> png;
    if (lodepng::encode(png, rgba, (unsigned)w, (unsigned)h, state) != 0) return false;
    return lodepng::save_file(png, path) == 0;
}

// ---------------------------------------------------------------- shapes

// Adds an ellipse path centred on (x, y).
void ellipsePath(cairo_t* cr, double x, double y, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
}

// Adds a rounded rectangle path.
void roundRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// Fills the current path with a soft radial shading of the colour, lit from
// the upper left, and strokes it with the dark outline every figure carries.
void fillShaded(cairo_t* cr, Colour c, double cx, double cy, double radius, double outline) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.35, radius * 0.1, cx, cy, radius * 1.15);
    Colour hi = shade(c, 0.25), lo = shade(c, -0.35);
    cairo_pattern_add_color_stop_rgba(p, 0, hi.r, hi.g, hi.b, c.a);
    cairo_pattern_add_color_stop_rgba(p, 0.55, c.r, c.g, c.b, c.a);
    cairo_pattern_add_color_stop_rgba(p, 1, lo.r, lo.g, lo.b, c.a);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    if (outline > 0) {
        cairo_set_source_rgba(cr, 0.07, 0.06, 0.05, 0.95);
        cairo_set_line_width(cr, outline);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

// A soft, blurred-looking drop shadow: an ellipse whose alpha fades outward.
void softShadow(cairo_t* cr, double x, double y, double rx, double ry, double alpha) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.6, 0, 0, 0, alpha * 0.7);
    cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

// A limb: a round-capped thick line with a dark outline.
void limb(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Colour c) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_source_rgba(cr, 0.07, 0.06, 0.05, 0.95);
    cairo_set_line_width(cr, width + 3.5);
    cairo_stroke_preserve(cr);
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// A round blob (hand, head) with shading and outline.
void blob(cairo_t* cr, double x, double y, double r, Colour c) {
    ellipsePath(cr, x, y, r, r);
    fillShaded(cr, c, x, y, r, 3);
}

// Irregular splash: a wobbly disc made of a closed curve through jittered
// radii, drawn with the current source.
void splashPath(cairo_t* cr, double x, double y, double radius, double wobble, int points) {
    double first = radius * (1 - wobble * scatter());
    cairo_move_to(cr, x + first, y);
    double prevR = first, prevA = 0;
    for (int i = 1; i <= points; i++) {
        double a = 2 * kPi * i / points;
        double r = i == points ? first : radius * (1 - wobble * scatter());
        double mid = (prevA + a) / 2, k = 1.18;
        cairo_curve_to(cr, x + cos(prevA + 0.25 / points * 2 * kPi) * prevR * k, y + sin(prevA + 0.25 / points * 2 * kPi) * prevR * k,
                       x + cos(mid + 0.25 / points * 2 * kPi) * r * k, y + sin(mid + 0.25 / points * 2 * kPi) * r * k,
                       x + cos(a) * r, y + sin(a) * r);
        prevR = r;
        prevA = a;
    }
    cairo_close_path(cr);
}

// Starts drawing a picture: clips to its sheet rectangle and makes the
// picture's own coordinates run 0..units across its width.
void beginPiece(cairo_t* cr, int left, int top, int width, int height, double unitsAcross) {
    cairo_save(cr);
    cairo_rectangle(cr, left, top, width, height);
    cairo_clip(cr);
    cairo_translate(cr, left, top);
    cairo_scale(cr, width / unitsAcross, width / unitsAcross);
}

void endPiece(cairo_t* cr) {
    cairo_restore(cr);
}

// ---------------------------------------------------------------- text

// Font options that make text the same on every machine: grey antialiasing, no
// hinting.
void setTextFont(cairo_t* cr, cairo_font_face_t* face, double size) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

// Makes the path of one character, its ink centred on x with the baseline on
// y, widened by the style's stretch and then squeezed sideways when its body
// would come out wider than the style allows.
void glyphPath(cairo_t* cr, char ch, double x, double y, const GlyphStyle& style) {
    char text[2] = {ch, 0};
    cairo_text_extents_t ink;
    cairo_text_extents(cr, text, &ink);
    double widest = style.maxWidth - style.bolden;
    double sideways = std::min(style.stretch, ink.width > 0 ? widest / ink.width : style.stretch);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, x - (ink.x_bearing + ink.width / 2) * sideways, y);
    cairo_scale(cr, sideways, 1);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, text);
    cairo_restore(cr);
}

// Draws a white glyph with a dark outline and a shadow offset down-right.
void outlinedGlyph(cairo_t* cr, char ch, double x, double y, const GlyphStyle& style) {
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    glyphPath(cr, ch, x + style.shadow, y + style.shadow, style);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_set_line_width(cr, style.outline + style.bolden);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    glyphPath(cr, ch, x, y, style);
    cairo_set_source_rgba(cr, 0.04, 0.03, 0.03, 1);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    if (style.bolden > 0) {
        cairo_set_line_width(cr, style.bolden);
        cairo_stroke_preserve(cr);
    }
    cairo_fill(cr);
}

// ---------------------------------------------------------------- tiles

// Fine grain for ground textures, -0.5..0.5 per pixel.
double grain(int x, int y, int seed) {
    return hashUnit(x, y, seed) - 0.5;
}

// Asphalt: dark grey with fine grain, faint wear and a few light stones of
// the aggregate; seamless at every quarter turn.
Colour asphaltPixel(int x, int y) {
    double wear = mottle(x, y, 5, 11) * kAsphaltWear + mottle(x, y, 12, 14) * kAsphaltWear;
    double v = kAsphaltGrey + wear + grain(x, y, 12) * kAsphaltGrain;
    if (hashUnit(x, y, 13) > kAsphaltStoneRarity) v += kAsphaltStone;
    return {v, v, v * 1.04, 1};
}

// Grey paving slabs, 2 x 2 per cell, with grooves on the slab borders (half a
// groove on each cell edge, so neighbouring cells complete them). The slabs
// differ only faintly, so a long walkway shows no repeating pattern.
Colour walkwayPixel(int x, int y) {
    int sx = x / 50, sy = y / 50;
    double tone = (hashUnit(sx, sy, 21) - 0.5) * kSlabToneSpread;
    double v = kWalkwayGrey + tone + grain(x, y, 22) * kWalkwayGrain + mottle(x, y, 6, 23) * kWalkwayMottle;
    int ex = x % 50, ey = y % 50;
    int edge = std::min(std::min(ex, 49 - ex), std::min(ey, 49 - ey));
    if (edge == 0) v *= 0.55;
    else if (edge == 1) v *= 0.85;
    if (ex == 1 || ey == 1) v += 0.05;
    return {v, v * 0.99, v * 0.95, 1};
}

// Open ground: short grass in soft tufts of slightly different greens, with a
// few small, faint patches of bare earth. Every feature is small and low in
// contrast, so a lot of many cells shows no grid; seamless at every turn.
Colour groundPixel(int x, int y) {
    double tuft = mottle(x, y, 8, 31) * kGrassTuftContrast;
    double blade = grain(x, y, 32) * kGrassBladeContrast + mottle(x, y, 25, 33) * kGrassTuftContrast;
    double dryness = clamp01(0.5 + mottle(x, y, 5, 34) * 3);
    Colour grass = shade(mix(kGrass, kDryGrass, dryness * kGrassDryness), tuft + blade);
    double earth = smoothStep(kEarthFrom, kEarthTo, mottle(x, y, 10, 35)) * kEarthStrength;
    return mix(grass, shade(kEarth, blade), earth);
}

// Building floor: square clay tiles, 4 x 4 per cell, the same under every
// quarter turn so walls at any rotation join the plain floor around them.
Colour floorPixel(int x, int y) {
    int sx = x / 25, sy = y / 25;
    double tone = (hashUnit(sx, sy, 41) - 0.5) * kFloorToneSpread;
    double v = grain(x, y, 42) * kFloorGrain + mottle(x, y, 4, 43) * kFloorMottle + tone;
    Colour c = {0.56 + v, 0.43 + v, 0.32 + v, 1};
    int ex = x % 25, ey = y % 25;
    if (ex == 0 || ex == 24 || ey == 0 || ey == 24) c = shade(c, -0.4);
    else if (ex == 1 || ey == 1) c = shade(c, 0.08);
    return c;
}

// The dark wasteland outside the city.
Colour voidPixel(int x, int y) {
    double v = 0.05 + (periodicFractal(x, y, kSmallSize, 4, 51) - 0.5) * 0.05 + grain(x, y, 52) * 0.02;
    return {v * 0.8, v * 1.05, v * 0.8, 1};
}

// Plain concrete for the kinds the city never lays.
Colour concretePixel(int x, int y) {
    double v = 0.42 + (periodicFractal(x, y, kSmallSize, 4, 61) - 0.5) * 0.06 + grain(x, y, 62) * 0.05;
    return {v, v, v, 1};
}

// Floor pixel darkened near a wall strip: 'distance' is how far, in tile
// pixels, the pixel lies from the wall's outline.
Colour floorNearWall(int x, int y, double distance) {
    return shade(floorPixel(x, y), -0.35 * (1 - smoothStep(0, 10, distance)));
}

// Distance from the visible part of the outer wall at x 1..13 (its outline
// reaches x 16).
double outerWallDistance(int x) {
    return x < 16 ? 0 : x - 16;
}

// Distance from the inner wall band at y 44..56 (outline 41..59).
double innerWallDistance(int y) {
    if (y >= 41 && y <= 59) return 0;
    return y < 41 ? 41 - y : y - 59;
}

// One pixel of a tile kind at tile pixel (x, y), rotation 0.
Colour tilePixel(int kind, int x, int y) {
    switch (kind) {
    case kTileVoid: return voidPixel(x, y);
    case kTileCentreLine:
    case kTileStreet: return asphaltPixel(x, y);
    case kTileWalkway: return walkwayPixel(x, y);
    case kTileGround: return groundPixel(x, y);
    case kTileFloor:
    case kTileInnerDoor: return floorPixel(x, y);
    case kTileWall:
    case kTileOuterDoor: return floorNearWall(x, y, outerWallDistance(x));
    case kTileCorner: return floorNearWall(x, y, std::min(outerWallDistance(x), y > 84 ? 0.0 : 84.0 - y));
    case kTileJunction: return floorNearWall(x, y, std::min(outerWallDistance(x), innerWallDistance(y)));
    case kTileInnerWall: return floorNearWall(x, y, innerWallDistance(y));
    default: return concretePixel(x, y);
    }
}

// The dashed centre line along x through the middle of the street.
void drawCentreLine(cairo_t* cr) {
    for (int part = 0; part < 2; part++) {
        cairo_rectangle(cr, 20, 46, 60, 8);
        if (part == 0) cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
        else cairo_set_source_rgba(cr, 0.93, 0.76, 0.16, 0.92);
        if (part == 0) cairo_translate(cr, 0.8, 0.8);
        cairo_fill(cr);
        if (part == 0) cairo_translate(cr, -0.8, -0.8);
    }
    for (int i = 0; i < 40; i++) {
        cairo_rectangle(cr, scatterRange(20, 79), scatterRange(46, 53), 1, 1);
        cairo_set_source_rgba(cr, 0.25, 0.25, 0.25, 0.5);
        cairo_fill(cr);
    }
}

// A door mat with a metal sill in the outer wall's gap (x 1..13, y 5..95).
void drawDoorSill(cairo_t* cr) {
    roundRectPath(cr, 17, 16, 16, 68, 3);
    cairo_set_source_rgba(cr, 0.32, 0.18, 0.12, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.12, 0.07, 0.05, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 0, 5, 16, 90);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 16, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.36, 0.36, 0.38);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.62, 0.62, 0.64);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.34, 0.34, 0.36);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A wooden threshold across the inner doorway gap (y 44..56, x 5..95).
void drawInnerSill(cairo_t* cr) {
    cairo_rectangle(cr, 0, 43, 100, 14);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 43, 0, 57);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.3, 0.18, 0.09);
    cairo_pattern_add_color_stop_rgb(p, 0.4, 0.5, 0.33, 0.18);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.26, 0.15, 0.08);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Fills one tile picture pixel by pixel, adds its painted details, and then
// extends its edge pixels outward over the whole 128 cell so filtering at the
// tile's border never reads anything but the tile.
void drawTile(cairo_t* cr, cairo_surface_t* sheet, int kind) {
    int left = kTileLeft + kCell * (kind % 2), top = kTileTop + kCell * (kind / 2);
    cairo_surface_flush(sheet);
    for (int y = 0; y < kSmallSize; y++)
        for (int x = 0; x < kSmallSize; x++) putPixel(sheet, left + x, top + y, tilePixel(kind, x, y));
    cairo_surface_mark_dirty(sheet);
    scatterState = 0x5EED0000u + kind;
    beginPiece(cr, left, top, kSmallSize, kSmallSize, kSmallSize);
    if (kind == kTileCentreLine) drawCentreLine(cr);
    if (kind == kTileOuterDoor) drawDoorSill(cr);
    if (kind == kTileInnerDoor) drawInnerSill(cr);
    endPiece(cr);
    cairo_surface_flush(sheet);
    for (int y = top - kSmallMargin; y < top + kSmallSize + kSmallMargin; y++)
        for (int x = left - kSmallMargin; x < left + kSmallSize + kSmallMargin; x++) {
            int fx = std::min(std::max(x, left), left + kSmallSize - 1);
            int fy = std::min(std::max(y, top), top + kSmallSize - 1);
            if (fx != x || fy != y) copyPixel(sheet, fx, fy, x, y);
        }
    cairo_surface_mark_dirty(sheet);
}

// ---------------------------------------------------------------- actors

const Colour kSkin = {0.87, 0.67, 0.52, 1};
const Colour kZombieSkin = {0.5, 0.6, 0.42, 1};

// The survivor: teal jacket, both hands on a gun pointing along +x.
void drawPlayer(cairo_t* cr) {
    softShadow(cr, 48, 53, 32, 38, 0.4);
    Colour jacket = {0.1, 0.5, 0.56, 1};
    ellipsePath(cr, 42, 50, 16, 27);
    fillShaded(cr, jacket, 42, 50, 27, 3.5);
    limb(cr, 44, 28, 68, 45, 9, shade(jacket, -0.12));
    limb(cr, 44, 72, 70, 57, 9, shade(jacket, -0.12));
    roundRectPath(cr, 60, 45.5, 38, 10, 2.5);
    fillShaded(cr, {0.22, 0.23, 0.25, 1}, 79, 50, 19, 3);
    cairo_rectangle(cr, 88, 48.5, 9, 4);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 1);
    cairo_fill(cr);
    blob(cr, 68, 46, 5.5, kSkin);
    blob(cr, 71, 56, 5.5, kSkin);
    blob(cr, 48, 50, 13, kSkin);
    ellipsePath(cr, 45, 50, 11.5, 12.5);
    fillShaded(cr, {0.26, 0.17, 0.1, 1}, 45, 50, 12, 0);
}

// Adds the ragged outline of a torn shirt around (x, y): a wobbly ellipse.
void tornShirtPath(cairo_t* cr, double x, double y, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx / ry, 1);
    splashPath(cr, 0, 0, ry, 0.1, 18);
    cairo_restore(cr);
}

// A zombie: grey-green skin, torn shirt, both arms reaching forward.
void drawZombie(cairo_t* cr) {
    softShadow(cr, 46, 53, 34, 40, 0.4);
    Colour shirt = {0.42, 0.38, 0.3, 1};
    scatterState = 0x2077BEEFu;
    tornShirtPath(cr, 41, 50, 16, 27);
    fillShaded(cr, shirt, 41, 50, 27, 3.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgba(cr, 0.15, 0.12, 0.09, 0.9);
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, 31, 36); cairo_line_to(cr, 37, 40); cairo_line_to(cr, 34, 45);
    cairo_move_to(cr, 34, 62); cairo_line_to(cr, 40, 66); cairo_line_to(cr, 37, 71);
    cairo_stroke(cr);
    ellipsePath(cr, 36, 57, 5, 4);
    cairo_set_source_rgba(cr, 0.45, 0.05, 0.04, 0.85);
    cairo_fill(cr);
    limb(cr, 44, 27, 84, 29, 8.5, kZombieSkin);
    limb(cr, 44, 73, 82, 69, 8.5, kZombieSkin);
    limb(cr, 42, 27, 54, 27.5, 11, shirt);
    limb(cr, 42, 73, 53, 72.5, 11, shirt);
    blob(cr, 86, 29, 5.5, kZombieSkin);
    blob(cr, 84, 69, 5.5, kZombieSkin);
    blob(cr, 50, 50, 12.5, kZombieSkin);
    ellipsePath(cr, 46, 45, 4, 3);
    ellipsePath(cr, 52, 56, 3, 2.5);
    cairo_set_source_rgba(cr, 0.25, 0.3, 0.2, 0.8);
    cairo_fill(cr);
    ellipsePath(cr, 55, 46, 2.5, 2);
    cairo_set_source_rgba(cr, 0.5, 0.06, 0.05, 0.9);
    cairo_fill(cr);
}

// A civilian: warm orange shirt, fair hair, arms at the sides, no weapon.
void drawCivilian(cairo_t* cr) {
    softShadow(cr, 48, 53, 32, 38, 0.4);
    Colour shirt = {0.92, 0.42, 0.12, 1};
    limb(cr, 46, 26, 60, 22, 9, shirt);
    limb(cr, 46, 74, 60, 78, 9, shirt);
    blob(cr, 63, 21, 5, kSkin);
    blob(cr, 63, 79, 5, kSkin);
    ellipsePath(cr, 44, 50, 16, 26);
    fillShaded(cr, shirt, 44, 50, 26, 3.5);
    blob(cr, 51, 50, 12.5, kSkin);
    ellipsePath(cr, 47, 50, 11.5, 12);
    fillShaded(cr, {0.9, 0.72, 0.34, 1}, 47, 50, 12, 0);
}

// A neutral grey figure for the actor type that never appears.
void drawSpareActor(cairo_t* cr) {
    softShadow(cr, 48, 53, 32, 38, 0.4);
    ellipsePath(cr, 44, 50, 16, 26);
    fillShaded(cr, {0.55, 0.55, 0.58, 1}, 44, 50, 26, 3.5);
    blob(cr, 50, 50, 12.5, {0.7, 0.7, 0.72, 1});
}

// A fallen zombie lying in its blood, head towards +x.
void drawCorpse(cairo_t* cr) {
    scatterState = 0xC0FFEE01u;
    splashPath(cr, 50, 52, 40, 0.3, 16);
    cairo_set_source_rgba(cr, 0.42, 0.02, 0.02, 0.85);
    cairo_fill(cr);
    limb(cr, 46, 36, 66, 14, 8, kZombieSkin);
    limb(cr, 46, 64, 30, 88, 8, kZombieSkin);
    limb(cr, 30, 44, 10, 38, 9, {0.3, 0.27, 0.24, 1});
    limb(cr, 30, 56, 12, 68, 9, {0.3, 0.27, 0.24, 1});
    ellipsePath(cr, 42, 50, 20, 15);
    fillShaded(cr, {0.36, 0.32, 0.25, 1}, 42, 50, 20, 3);
    blob(cr, 70, 52, 11, kZombieSkin);
    ellipsePath(cr, 48, 54, 6, 4);
    ellipsePath(cr, 73, 47, 3, 2.5);
    cairo_set_source_rgba(cr, 0.5, 0.04, 0.03, 0.9);
    cairo_fill(cr);
}

// A blood splat: an irregular pool with droplets flung around it.
void drawBloodSplat(cairo_t* cr) {
    scatterState = 0xB100D002u;
    cairo_set_source_rgba(cr, 0.5, 0.02, 0.02, 0.92);
    splashPath(cr, 50, 50, 24, 0.45, 13);
    cairo_fill(cr);
    for (int i = 0; i < 14; i++) {
        double a = scatter() * 2 * kPi, d = scatterRange(24, 44), r = scatterRange(1.8, 5);
        ellipsePath(cr, 50 + cos(a) * d, 50 + sin(a) * d, r, r);
        cairo_fill(cr);
    }
    cairo_set_source_rgba(cr, 0.3, 0.0, 0.0, 0.6);
    splashPath(cr, 47, 48, 11, 0.4, 9);
    cairo_fill(cr);
}

// A grenade from above: ridged olive body, lever and ring.
void drawGrenade(cairo_t* cr) {
    softShadow(cr, 52, 54, 30, 30, 0.45);
    blob(cr, 50, 50, 24, {0.33, 0.38, 0.2, 1});
    cairo_set_source_rgba(cr, 0.12, 0.14, 0.07, 0.8);
    cairo_set_line_width(cr, 2.5);
    for (int i = -1; i <= 1; i++) {
        cairo_move_to(cr, 50 + i * 11, 29);
        cairo_line_to(cr, 50 + i * 11, 71);
        cairo_move_to(cr, 29, 50 + i * 11);
        cairo_line_to(cr, 71, 50 + i * 11);
    }
    cairo_stroke(cr);
    roundRectPath(cr, 44, 40, 34, 9, 3);
    fillShaded(cr, {0.6, 0.6, 0.58, 1}, 60, 44, 16, 2.5);
    cairo_set_line_width(cr, 3.5);
    cairo_set_source_rgba(cr, 0.07, 0.06, 0.05, 1);
    ellipsePath(cr, 38, 40, 9, 9);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgba(cr, 0.8, 0.78, 0.7, 1);
    ellipsePath(cr, 38, 40, 9, 9);
    cairo_stroke(cr);
}

// ---------------------------------------------------------------- obstacles

// The props are drawn in a 100-unit square; their bodies stay within the
// central 80 units, the size of their solid box.

// A round metal trash bin with a ribbed lid and a handle.
void drawTrashBin(cairo_t* cr) {
    softShadow(cr, 53, 54, 42, 42, 0.45);
    blob(cr, 50, 50, 37, {0.3, 0.36, 0.33, 1});
    cairo_set_source_rgba(cr, 0.1, 0.12, 0.11, 0.7);
    cairo_set_line_width(cr, 2.5);
    for (int r = 14; r <= 30; r += 8) {
        ellipsePath(cr, 50, 50, r, r);
        cairo_stroke(cr);
    }
    roundRectPath(cr, 38, 45, 24, 10, 4);
    fillShaded(cr, {0.55, 0.58, 0.56, 1}, 50, 50, 12, 2.5);
}

// A wooden crate: planks framed by a border and a diagonal brace.
void drawCrate(cairo_t* cr) {
    softShadow(cr, 54, 55, 46, 46, 0.45);
    Colour wood = {0.62, 0.44, 0.24, 1};
    roundRectPath(cr, 11, 11, 78, 78, 3);
    fillShaded(cr, wood, 50, 50, 50, 3.5);
    cairo_set_source_rgba(cr, 0.25, 0.15, 0.07, 0.8);
    cairo_set_line_width(cr, 2);
    for (int y = 30; y <= 70; y += 20) {
        cairo_move_to(cr, 20, y);
        cairo_line_to(cr, 80, y);
    }
    cairo_stroke(cr);
    cairo_set_line_width(cr, 3);
    cairo_rectangle(cr, 19, 19, 62, 62);
    cairo_stroke(cr);
    limb(cr, 23, 77, 77, 23, 7, shade(wood, 0.12));
}

// A red oil barrel: rims, a bung and a hazard mark.
void drawBarrel(cairo_t* cr) {
    softShadow(cr, 53, 54, 41, 41, 0.45);
    blob(cr, 50, 50, 36, {0.7, 0.14, 0.1, 1});
    cairo_set_source_rgba(cr, 0.25, 0.03, 0.02, 0.8);
    cairo_set_line_width(cr, 3);
    ellipsePath(cr, 50, 50, 30, 30);
    cairo_stroke(cr);
    blob(cr, 36, 40, 5, {0.4, 0.4, 0.42, 1});
    cairo_move_to(cr, 58, 52);
    cairo_line_to(cr, 68, 70);
    cairo_line_to(cr, 48, 70);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.95, 0.8, 0.2, 0.9);
    cairo_fill(cr);
}

// A green dumpster with two lids.
void drawDumpster(cairo_t* cr) {
    softShadow(cr, 53, 55, 46, 36, 0.45);
    Colour green = {0.16, 0.4, 0.22, 1};
    roundRectPath(cr, 10, 22, 80, 56, 4);
    fillShaded(cr, green, 50, 50, 45, 3.5);
    for (int i = 0; i < 2; i++) {
        roundRectPath(cr, 15 + 36 * i, 27, 34, 46, 3);
        fillShaded(cr, shade(green, 0.1), 32 + 36 * i, 50, 26, 2.5);
        cairo_set_source_rgba(cr, 0.05, 0.12, 0.06, 0.7);
        cairo_set_line_width(cr, 2);
        for (int r = 0; r < 3; r++) {
            cairo_move_to(cr, 20 + 36 * i, 38 + r * 12);
            cairo_line_to(cr, 44 + 36 * i, 38 + r * 12);
        }
        cairo_stroke(cr);
    }
}

// A parked car from above, front (windscreen) towards +x, in a 200 x 100
// unit picture; the body fills about 90 % by 80 %.
void drawCar(cairo_t* cr) {
    softShadow(cr, 104, 54, 104, 50, 0.5);
    Colour paint = {0.2, 0.3, 0.52, 1};
    roundRectPath(cr, 10, 10, 180, 80, 18);
    fillShaded(cr, paint, 100, 50, 95, 3.5);
    for (int side = 0; side < 2; side++) {
        double y = side ? 86 : 14;
        ellipsePath(cr, 128, y, 5, 4);
        fillShaded(cr, shade(paint, -0.3), 128, y, 5, 2);
    }
    cairo_move_to(cr, 120, 20); cairo_line_to(cr, 144, 14); cairo_line_to(cr, 144, 86); cairo_line_to(cr, 120, 80);
    cairo_close_path(cr);
    fillShaded(cr, {0.16, 0.22, 0.28, 1}, 132, 50, 36, 2.5);
    cairo_move_to(cr, 58, 20); cairo_line_to(cr, 40, 16); cairo_line_to(cr, 40, 84); cairo_line_to(cr, 58, 80);
    cairo_close_path(cr);
    fillShaded(cr, {0.16, 0.22, 0.28, 1}, 50, 50, 36, 2.5);
    roundRectPath(cr, 60, 20, 58, 60, 8);
    fillShaded(cr, shade(paint, 0.12), 89, 50, 34, 2.5);
    cairo_set_source_rgba(cr, 0.6, 0.75, 0.85, 0.35);
    cairo_move_to(cr, 124, 24); cairo_line_to(cr, 138, 20); cairo_line_to(cr, 138, 34); cairo_line_to(cr, 124, 38);
    cairo_fill(cr);
    for (int side = 0; side < 2; side++) {
        double y = side ? 70 : 18;
        roundRectPath(cr, 179, y, 8, 12, 3);
        fillShaded(cr, {1, 0.95, 0.7, 1}, 183, y + 6, 6, 2);
        roundRectPath(cr, 12, y, 6, 12, 2);
        fillShaded(cr, {0.85, 0.1, 0.08, 1}, 15, y + 6, 6, 2);
    }
}

// ---------------------------------------------------------------- effects

// A fiery burst: hot white core, orange flame tongues, a dark smoky rim, all
// fading to nothing at the picture's edge.
void drawBlast(cairo_t* cr) {
    scatterState = 0xB1A57001u;
    cairo_pattern_t* p = cairo_pattern_create_radial(50, 50, 0, 50, 50, 50);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 0.85, 1);
    cairo_pattern_add_color_stop_rgba(p, 0.2, 1, 0.88, 0.35, 1);
    cairo_pattern_add_color_stop_rgba(p, 0.5, 0.98, 0.45, 0.08, 0.85);
    cairo_pattern_add_color_stop_rgba(p, 0.8, 0.55, 0.12, 0.04, 0.4);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.2, 0.05, 0.02, 0);
    cairo_set_source(cr, p);
    splashPath(cr, 50, 50, 48, 0.35, 18);
    cairo_fill(cr);
    for (int i = 0; i < 9; i++) {
        double a = scatter() * 2 * kPi, d = scatterRange(14, 30);
        splashPath(cr, 50 + cos(a) * d, 50 + sin(a) * d, scatterRange(7, 13), 0.3, 8);
        cairo_fill(cr);
    }
    cairo_pattern_destroy(p);
    p = cairo_pattern_create_radial(50, 50, 0, 50, 50, 22);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 0.95, 1);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 0.85, 0.3, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, 50, 50, 22, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// The gun trace, drawn per pixel across its 126 x 126 picture: a thin
// yellow-white core with a glow that fades towards both ends and both sides.
void drawTracer(cairo_surface_t* sheet) {
    cairo_surface_flush(sheet);
    for (int y = 0; y < kLargeSize; y++)
        for (int x = 0; x < kLargeSize; x++) {
            double u = (x + 0.5) / kLargeSize, v = std::fabs((y + 0.5) / kLargeSize - 0.5) * 2;
            double along = std::pow(std::sin(kPi * u), 0.6);
            double core = 1 - smoothStep(0.04, 0.12, v), glow = std::pow(1 - smoothStep(0, 0.55, v), 2.2);
            Colour c = mix({1, 0.75, 0.25, glow * 0.6}, {1, 1, 0.88, 1}, core);
            c.a *= along;
            putPixel(sheet, kTracerLeft + x, kTracerTop + y, c);
        }
    cairo_surface_mark_dirty(sheet);
}

// The aim mark: a broken ring with four ticks and a red dot, white on a dark
// outline so it reads on any ground.
void drawCrosshair(cairo_t* cr) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 0) cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.85);
        else cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
        cairo_set_line_width(cr, pass == 0 ? 8 : 4);
        for (int q = 0; q < 4; q++) {
            double a = q * kPi / 2;
            cairo_new_sub_path(cr);
            cairo_arc(cr, 50, 50, 28, a + 0.3, a + kPi / 2 - 0.3);
            cairo_move_to(cr, 50 + cos(a) * 20, 50 + sin(a) * 20);
            cairo_line_to(cr, 50 + cos(a) * 40, 50 + sin(a) * 40);
        }
        cairo_stroke(cr);
    }
    blob(cr, 50, 50, 4, {0.95, 0.1, 0.08, 1});
}

// Solid blocks of the two flat wall colours around their texels.
void drawFlatColours(cairo_t* cr) {
    int h = kFlatBlockHalf;
    cairo_rectangle(cr, kEdgeTexelX - h, kEdgeTexelY - h, 2 * h, 2 * h);
    cairo_set_source_rgba(cr, kWallOutline[0], kWallOutline[1], kWallOutline[2], 1);
    cairo_fill(cr);
    cairo_rectangle(cr, kWallTexelX - h, kWallTexelY - h, 2 * h, 2 * h);
    cairo_set_source_rgba(cr, kWallFill[0], kWallFill[1], kWallFill[2], 1);
    cairo_fill(cr);
}

// ---------------------------------------------------------------- title

// Blood drips hanging from the letters' baseline, drawn before the letters
// so their tops disappear under them. The letters are the current path on
// entry; drips are placed only where a letter stands on the baseline.
void drawTitleDrips(cairo_t* cr, double baseline) {
    const int kDrips = 8;
    double dripX[kDrips], dripLength[kDrips], dripWidth[kDrips];
    int count = 0;
    scatterState = 0xD41F5u;
    for (int tries = 0; count < kDrips && tries < 400; tries++) {
        double x = scatterRange(30, 480), len = scatterRange(8, 22), w = scatterRange(4, 7);
        if (!cairo_in_fill(cr, x - w, baseline - 3) || !cairo_in_fill(cr, x + w, baseline - 3)) continue;
        dripX[count] = x, dripLength[count] = len, dripWidth[count++] = w;
    }
    cairo_new_path(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 2; pass++) {
        double grow = pass == 0 ? 2 : 0;
        if (pass == 0) cairo_set_source_rgba(cr, 0.06, 0, 0, 1);
        else cairo_set_source_rgba(cr, 0.55, 0.03, 0.02, 1);
        for (int i = 0; i < count; i++) {
            cairo_move_to(cr, dripX[i], baseline - 8);
            cairo_line_to(cr, dripX[i], baseline + dripLength[i]);
            cairo_set_line_width(cr, dripWidth[i] + 2 * grow);
            cairo_stroke(cr);
            ellipsePath(cr, dripX[i], baseline + dripLength[i] + dripWidth[i] * 0.3, dripWidth[i] * 0.75 + grow,
                        dripWidth[i] * 0.9 + grow);
            cairo_fill(cr);
        }
    }
}

// The title drawn upright into a 510 x 126 picture: big blood-red serif
// letters with a black outline, a dark shadow and drips running off them.
void drawUprightTitle(cairo_t* cr) {
    const char* title = "Vellgrave 2";
    setTextFont(cr, serifFont, 100);
    double x1, y1, x2, y2;
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, title);
    cairo_path_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    double scale = std::min(470 / (x2 - x1), 78 / (y2 - y1));
    cairo_save(cr);
    cairo_translate(cr, 255 - (x1 + x2) / 2 * scale, 16 - y1 * scale);
    cairo_scale(cr, scale, scale);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, title);
    cairo_restore(cr);
    cairo_path_t* letters = cairo_copy_path(cr);
    drawTitleDrips(cr, 16 - y1 * scale);
    cairo_translate(cr, 4, 5);
    cairo_append_path(cr, letters);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    cairo_translate(cr, -4, -5);
    cairo_append_path(cr, letters);
    cairo_set_source_rgba(cr, 0.06, 0.0, 0.0, 1);
    cairo_set_line_width(cr, 6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 16, 0, 16 + (y2 - y1) * scale);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.95, 0.2, 0.14);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.72, 0.05, 0.04);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.4, 0.01, 0.01);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_path_destroy(letters);
}

// Draws the title upright and turns it a quarter clockwise into its strip:
// upright pixel (X, Y) lands on sheet pixel (383 - Y, 385 + X), which is how
// the main menu's quad reads the strip back.
void drawTitle(cairo_t* cr) {
    cairo_surface_t* upright = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kTitleLength, kLargeSize);
    cairo_t* ucr = cairo_create(upright);
    drawUprightTitle(ucr);
    cairo_destroy(ucr);
    cairo_save(cr);
    cairo_rectangle(cr, kTitleLeft, kTitleTop, kLargeSize, kTitleLength);
    cairo_clip(cr);
    cairo_translate(cr, kTitleLeft + kLargeSize, kTitleTop);
    cairo_rotate(cr, kPi / 2);
    cairo_set_source_surface(cr, upright, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(upright);
}

// ---------------------------------------------------------------- sheet font

// The 96-cell font of the sprite sheet: each printable character white with a
// dark outline, centred in the 26-pixel area the game samples, bodies 15 to 18 wide.
void drawSheetFont(cairo_t* cr) {
    setTextFont(cr, sansFont, kFontSize);
    for (int k = 1; k < kFontGlyphs - 1; k++) {
        int left = kFontLeft + kFontCell * (k % kFontColumns), top = kFontCell * (k / kFontColumns);
        cairo_save(cr);
        cairo_rectangle(cr, left + kFontInset, top + kFontInset, kFontCell - 2 * kFontInset, kFontCell - 2 * kFontInset);
        cairo_clip(cr);
        outlinedGlyph(cr, (char)(32 + k), left + kFontCell / 2.0, top + kFontBaseline, kSheetFontStyle);
        cairo_restore(cr);
    }
}

// ---------------------------------------------------------------- the sheet

// The actor picture of one actor type.
void drawActor(cairo_t* cr, int type) {
    switch (type) {
    case 0: drawPlayer(cr); break;
    case 1: drawZombie(cr); break;
    case 2: drawCivilian(cr); break;
    default: drawSpareActor(cr); break;
    }
}

// The prop picture of one obstacle kind below 4.
void drawProp(cairo_t* cr, int kind) {
    switch (kind) {
    case 0: drawTrashBin(cr); break;
    case 1: drawCrate(cr); break;
    case 2: drawBarrel(cr); break;
    default: drawDumpster(cr); break;
    }
}

// Every picture of the 1024 x 1024 sprite sheet in its rectangle.
void drawSpriteSheet(cairo_surface_t* sheet) {
    cairo_t* cr = cairo_create(sheet);
    for (int kind = 0; kind < kTileCount; kind++) drawTile(cr, sheet, kind);
    for (int i = 0; i < 4; i++) {
        beginPiece(cr, kActorLeft + kCell * (i % 2), kActorTop + kCell * (i / 2), kSmallSize, kSmallSize, 100);
        drawActor(cr, i);
        endPiece(cr);
    }
    for (int i = 0; i < 2; i++) {
        beginPiece(cr, kDecalLeft + kCell * i, kDecalTop, kSmallSize, kSmallSize, 100);
        if (i == 0) drawCorpse(cr);
        else drawBloodSplat(cr);
        endPiece(cr);
    }
    beginPiece(cr, kProjectileLeft, kProjectileTop, kSmallSize, kSmallSize, 100);
    drawGrenade(cr);
    endPiece(cr);
    for (int i = 0; i < 4; i++) {
        beginPiece(cr, kObstacleLeft + kCell * (i % 2), kObstacleTop + kCell * (i / 2), kLargeSize, kLargeSize, 100);
        drawProp(cr, i);
        endPiece(cr);
    }
    beginPiece(cr, kCarLeft, kCarTop, kCarWidth, kLargeSize, 200);
    drawCar(cr);
    endPiece(cr);
    beginPiece(cr, kBlastLeft, kBlastTop, kLargeSize, kLargeSize, 100);
    drawBlast(cr);
    endPiece(cr);
    drawTracer(sheet);
    beginPiece(cr, kCrosshairLeft, kCrosshairTop, kLargeSize, kLargeSize, 100);
    drawCrosshair(cr);
    endPiece(cr);
    drawTitle(cr);
    drawFlatColours(cr);
    drawSheetFont(cr);
    cairo_destroy(cr);
}

// ---------------------------------------------------------------- overlays

// Darkness vignette: clear in the middle, black closing in at the edges and
// most at the corners. It is stretched exactly over the screen.
void drawDarknessVignette(cairo_surface_t* s) {
    cairo_surface_flush(s);
    for (int y = 0; y < kVignetteSize; y++)
        for (int x = 0; x < kVignetteSize; x++) {
            double u = (x + 0.5) / kVignetteSize * 2 - 1, v = (y + 0.5) / kVignetteSize * 2 - 1;
            double d = std::sqrt(u * u + v * v);
            double a = 0.88 * std::pow(smoothStep(0.45, 1.4, d), 1.3);
            a += (hashUnit(x, y, 71) - 0.5) * 0.01;
            putPixel(s, x, y, {0, 0, 0, a});
        }
    cairo_surface_mark_dirty(s);
}

// How far out a point of the blood vignette lies: a rounded square measure,
// 0 in the centre, 1 on the middle of each edge.
double squareDistance(double u, double v) {
    return std::pow(std::pow(std::fabs(u), 4) + std::pow(std::fabs(v), 4), 0.25);
}

// Splatter dropped around the blood rim: round drops between 0.6 and 0.85 of
// the half-size out from the centre, never in the middle.
void drawBloodDroplets(cairo_surface_t* s) {
    cairo_t* cr = cairo_create(s);
    double half = kVignetteSize / 2.0;
    scatterState = 0xD709u;
    for (int i = 0; i < 90; i++) {
        double a = scatter() * 2 * kPi, d = scatterRange(0.62, 0.86), r = scatterRange(2, 7) * (1.4 - d);
        double c = std::cos(a), sn = std::sin(a);
        double reach = d / std::pow(std::pow(std::fabs(c), 4) + std::pow(std::fabs(sn), 4), 0.25);
        ellipsePath(cr, half + c * reach * half, half + sn * reach * half, r, r);
        cairo_set_source_rgba(cr, 0.5, 0.02, 0.02, 0.85);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
}

// Blood vignette: the red sits only in the outer part of the picture (beyond
// 0.55 of the half-size), because at full health the picture is 2.48 screens
// wide and its middle 40 % is all that shows; drips reach inward from the rim.
void drawBloodVignette(cairo_surface_t* s) {
    cairo_surface_flush(s);
    const int period = 24;
    for (int y = 0; y < kVignetteSize; y++)
        for (int x = 0; x < kVignetteSize; x++) {
            double u = (x + 0.5) / kVignetteSize * 2 - 1, v = (y + 0.5) / kVignetteSize * 2 - 1;
            double d = squareDistance(u, v);
            double angle = std::atan2(v, u) / (2 * kPi) + 0.5;
            double ragged = periodicFractal(angle * kVignetteSize, d * 40, kVignetteSize, period, 81);
            double reach = 0.74 - ragged * 0.16 - std::pow(periodicNoise(angle * kVignetteSize, 0, kVignetteSize, 90, 82), 6) * 0.14;
            double a = smoothStep(reach, reach + 0.14, d) * 0.92;
            double depth = smoothStep(reach, 1.0, d);
            Colour c = {0.55 - depth * 0.25, 0.02, 0.02, a};
            c = shade(c, (hashUnit(x, y, 83) - 0.5) * 0.1);
            putPixel(s, x, y, c);
        }
    cairo_surface_mark_dirty(s);
    drawBloodDroplets(s);
}

// Brushed-metal pattern, seamless at its own size: fine streaks along x.
Colour brushedPixel(int x, int y, Colour base, int seed) {
    double streak = periodicNoiseXY(x, y, kPatternSize, 2, 64, seed) * 0.65 + periodicNoiseXY(x, y, kPatternSize, 4, 32, seed + 1) * 0.35;
    double v = (streak - 0.5) * 0.18 + grain(x, y, seed + 2) * 0.04;
    return shade(base, v);
}

// Dark pattern (menu background, empty bars) or bright pattern (bar fills,
// the highlighted menu entry): brushed metal, dark steel or blood red.
void drawPattern(cairo_surface_t* s, Colour base, int seed) {
    cairo_surface_flush(s);
    for (int y = 0; y < kPatternSize; y++)
        for (int x = 0; x < kPatternSize; x++) putPixel(s, x, y, brushedPixel(x, y, base, seed));
    cairo_surface_mark_dirty(s);
}

// ---------------------------------------------------------------- dashboard

// The overlay font: 20-pixel cells, glyphs about 9 wide centred on x 10 of
// the cell, for a 10-pixel pen advance. The last row keeps its bottom pixel
// row empty because the panel pieces start there.
void drawDashFont(cairo_t* cr) {
    setTextFont(cr, sansFont, 13);
    for (int k = 1; k < kDashGlyphs; k++) {
        int left = kDashCell * (k % kDashColumns), top = kDashCell * (k / kDashColumns);
        cairo_save(cr);
        cairo_rectangle(cr, left, top, kDashCell, std::min(kDashCell, kPanelTop - top));
        cairo_clip(cr);
        outlinedGlyph(cr, (char)(32 + k), left + 10, top + 14, kDashFontStyle);
        cairo_restore(cr);
    }
}

// One panel style as its 60 x 60 block of nine pieces: a rounded translucent
// plate with a border line. The middle row and column are uniform, so edge
// and centre pieces repeat and stretch without seams.
void drawPanelStyle(cairo_t* cr, int style) {
    const Colour fills[kPanelStyles] = {{0.06, 0.07, 0.09, 0.8}, {0.28, 0.06, 0.05, 0.88}, {0.4, 0.03, 0.03, 0.85}};
    const Colour borders[kPanelStyles] = {{0.75, 0.76, 0.8, 1}, {1, 0.78, 0.35, 1}, {0.95, 0.25, 0.2, 1}};
    double x = style * 3 * kPanelPiece, y = kPanelTop;
    roundRectPath(cr, x + 6, y + 6, 48, 48, 10);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_set_line_width(cr, 6);
    cairo_stroke_preserve(cr);
    setColour(cr, fills[style]);
    cairo_fill(cr);
    roundRectPath(cr, x + 8, y + 8, 44, 44, 8);
    setColour(cr, borders[style]);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// The mouse pointer: a white arrow with a black outline, its tip 12 right and
// 10 down from the piece's top-left corner.
void drawPointer(cairo_t* cr) {
    double x = kPointerLeft + kPointerTipX, y = kPointerTop + kPointerTipY;
    const double shape[][2] = {{0, 0}, {0, 30}, {7, 23}, {12, 35}, {17, 33}, {12, 21}, {21, 21}};
    for (int pass = 0; pass < 3; pass++) {
        double off = pass == 0 ? 2 : 0;
        for (int i = 0; i < 7; i++) {
            if (i == 0) cairo_move_to(cr, x + shape[i][0] + off, y + shape[i][1] + off);
            else cairo_line_to(cr, x + shape[i][0] + off, y + shape[i][1] + off);
        }
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        if (pass == 0) cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
        if (pass == 1) cairo_set_source_rgba(cr, 0.02, 0.02, 0.02, 1);
        if (pass == 2) cairo_set_source_rgba(cr, 1, 1, 1, 1);
        cairo_set_line_width(cr, 3);
        if (pass < 2) cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
}

// One bar of the pause overlay: a dark translucent band with a blood-red
// accent line on its inner edge (the bottom of the top bar, the top of the
// bottom bar). Rows run from the outer edge at 0 to the inner edge at 67.
void drawPauseBar(cairo_t* cr, int top, bool accentAtBottom) {
    for (int i = 0; i < kBarHeight; i++) {
        int row = accentAtBottom ? top + i : top + kBarHeight - 1 - i;
        Colour c = {0.03, 0.035, 0.045, 0.86 - i * 0.0015};
        if (i >= 60 && i < 64) c = {0.75, 0.08, 0.06, 1};
        if (i == 64) c = {0.3, 0.02, 0.02, 0.8};
        if (i > 64) c = {0, 0, 0, 0.45 - (i - 64) * 0.12};
        cairo_rectangle(cr, 0, row, kBarWidth, 1);
        setColour(cr, c);
        cairo_fill(cr);
    }
}

// The overlay sheet: font, three panel styles, pointer and the two bars;
// everything else stays fully transparent.
void drawDashboard(cairo_surface_t* s) {
    cairo_t* cr = cairo_create(s);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    drawDashFont(cr);
    for (int style = 0; style < kPanelStyles; style++) drawPanelStyle(cr, style);
    drawPointer(cr);
    drawPauseBar(cr, kTopBarTop, true);
    drawPauseBar(cr, kBottomBarTop, false);
    cairo_destroy(cr);
}

// ---------------------------------------------------------------- icon

// The desktop icon, made of the game's own pieces: a zombie lunging out of a
// pool of blood on a dark rounded tile, caught in the aim mark.
void drawIcon(cairo_surface_t* s) {
    cairo_t* cr = cairo_create(s);
    beginPiece(cr, 0, 0, kIconSize, kIconSize, 100);
    roundRectPath(cr, 3, 3, 94, 94, 16);
    fillShaded(cr, {0.2, 0.21, 0.23, 1}, 50, 50, 60, 2.5);
    drawBloodSplat(cr);
    cairo_save(cr);
    cairo_translate(cr, 50, 60);
    cairo_rotate(cr, -kPi / 2);
    cairo_scale(cr, 0.85, 0.85);
    cairo_translate(cr, -50, -50);
    drawZombie(cr);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 30, 40);
    cairo_scale(cr, 0.4, 0.4);
    drawCrosshair(cr);
    cairo_restore(cr);
    endPiece(cr);
    cairo_destroy(cr);
}

// ---------------------------------------------------------------- main

// Opens the two DejaVu faces through FreeType directly, so no font
// configuration of the machine can change the pictures.
bool openFonts() {
    if (FT_Init_FreeType(&fontLibrary) != 0) return false;
    if (FT_New_Face(fontLibrary, kSansBoldPath, 0, &sansFace) != 0) return false;
    if (FT_New_Face(fontLibrary, kSerifBoldPath, 0, &serifFace) != 0) return false;
    sansFont = cairo_ft_font_face_create_for_ft_face(sansFace, 0);
    serifFont = cairo_ft_font_face_create_for_ft_face(serifFace, 0);
    return true;
}

// Releases the fonts and cairo's caches, so the tool ends without leaks.
void closeFonts() {
    if (sansFont) cairo_font_face_destroy(sansFont);
    if (serifFont) cairo_font_face_destroy(serifFont);
    cairo_debug_reset_static_data();
    if (sansFace) FT_Done_Face(sansFace);
    if (serifFace) FT_Done_Face(serifFace);
    if (fontLibrary) FT_Done_FreeType(fontLibrary);
}

// Writes a drawn picture into the directory and releases it.
bool writePicture(const std::string& dir, const char* name, cairo_surface_t* s) {
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS && writePng(s, dir + "/" + name);
    cairo_surface_destroy(s);
    if (!ok) std::fprintf(stderr, "makeart: cannot write %s/%s\n", dir.c_str(), name);
    return ok;
}

// Makes an empty (transparent) ARGB surface.
cairo_surface_t* newSurface(int width, int height) {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

// Draws the desktop icon alone into the directory as "vellgrave2.png".
int makeIcon(const std::string& dir) {
    cairo_surface_t* s = newSurface(kIconSize, kIconSize);
    drawIcon(s);
    bool ok = writePicture(dir, "vellgrave2.png", s);
    cairo_debug_reset_static_data();
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icon") return makeIcon(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeart <output directory> | makeart --icon <output directory>\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!openFonts()) {
        std::fprintf(stderr, "makeart: cannot open the DejaVu fonts\n");
        closeFonts();
        return 1;
    }
    bool ok = true;
    cairo_surface_t* s = newSurface(kSheetSize, kSheetSize);
    drawSpriteSheet(s);
    ok = writePicture(dir, "spritesheettexture.png", s) && ok;
    s = newSurface(kVignetteSize, kVignetteSize);
    drawDarknessVignette(s);
    ok = writePicture(dir, "borderdarknesstexture.png", s) && ok;
    s = newSurface(kVignetteSize, kVignetteSize);
    drawBloodVignette(s);
    ok = writePicture(dir, "borderbloodtexture.png", s) && ok;
    s = newSurface(kPatternSize, kPatternSize);
    drawPattern(s, {0.62, 0.1, 0.08, 1}, 91);
    ok = writePicture(dir, "tilebrighttexture.png", s) && ok;
    s = newSurface(kPatternSize, kPatternSize);
    drawPattern(s, {0.12, 0.13, 0.15, 1}, 95);
    ok = writePicture(dir, "tiledarktexture.png", s) && ok;
    s = newSurface(kDashWidth, kDashHeight);
    drawDashboard(s);
    ok = writePicture(dir, "dashboard.png", s) && ok;
    closeFonts();
    return ok ? 0 : 1;
}
