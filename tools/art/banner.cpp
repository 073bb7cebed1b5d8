#include "banner.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace
{

struct Point {
    double x, y;
};

struct Box {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    void Add(double x, double y, double margin)
    {
        x0 = std::min(x0, x - margin);
        y0 = std::min(y0, y - margin);
        x1 = std::max(x1, x + margin);
        y1 = std::max(y1, y + margin);
    }
};

// One filled thing of the scene, in pixel coordinates (y down).
struct Shape {
    int colour = 0;
    Box box;
    virtual ~Shape() {}
    virtual bool Covers(double x, double y) const = 0;
};

struct RectShape : Shape {
    bool Covers(double x, double y) const override { return x >= box.x0 && x < box.x1 && y >= box.y0 && y < box.y1; }
};

struct EllipseShape : Shape {
    double cx, cy, rx, ry;
    bool Covers(double x, double y) const override
    {
        double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    }
};

struct PolygonShape : Shape {
    std::vector<Point> points;
    bool Covers(double x, double y) const override
    {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point &a = points[i], &b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    }
};

// Line segments drawn with a round pen: every point within radius of a segment.
struct StrokeShape : Shape {
    std::vector<std::pair<Point, Point>> segments;
    double radius = 1;
    bool Covers(double x, double y) const override
    {
        double r2 = radius * radius;
        for (const auto &s : segments) {
            double vx = s.second.x - s.first.x, vy = s.second.y - s.first.y;
            double wx = x - s.first.x, wy = y - s.first.y;
            double len2 = vx * vx + vy * vy;
            double t = len2 > 0 ? (wx * vx + wy * vy) / len2 : 0;
            t = t < 0 ? 0 : t > 1 ? 1 : t;
            double dx = wx - t * vx, dy = wy - t * vy;
            if (dx * dx + dy * dy <= r2)
                return true;
        }
        return false;
    }
    void Add(Point a, Point b)
    {
        segments.push_back({a, b});
        box.Add(a.x, a.y, radius);
        box.Add(b.x, b.y, radius);
    }
};

// A glyph of the stroke font: polylines in font units (cap height 100, y up from the baseline).
struct Glyph {
    double advance = 0;
    std::vector<std::vector<Point>> paths;
};

typedef std::map<std::string, Glyph> Font;

struct Scene {
    int width = 0, height = 0, supersample = 1;
    std::vector<Colour> palette;
    std::vector<int> rowGrey; // background grey of each row
    std::vector<std::unique_ptr<Shape>> shapes;
    Font font;
};

// Splits a line into words; "quoted text" is one word, # starts a comment.
static std::vector<std::string> Words(const std::string &text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        if (isspace((unsigned char)text[i])) {
            i++;
        } else if (text[i] == '#') {
            break;
        } else if (text[i] == '"') {
            size_t end = text.find('"', i + 1);
            if (end == std::string::npos)
                end = text.size();
            words.push_back(text.substr(i, end - i)); // keeps the opening quote as a marker
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !isspace((unsigned char)text[end]))
                end++;
            words.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

struct Statement {
    int line;
    std::vector<std::string> words; // never empty
};

// Reads one of the tool's text files and reports its errors with the file and line.
struct Parser {
    std::string path;
    int line = 0;
    std::string *error;
    bool Fail(const std::string &message)
    {
        *error = path + ":" + std::to_string(line) + ": " + message;
        return false;
    }
    // The file's lines that say something, as words.
    bool Read(std::vector<Statement> *statements)
    {
        std::ifstream in(path);
        if (!in)
            return Fail("cannot be read");
        std::string text;
        while (std::getline(in, text)) {
            line++;
            std::vector<std::string> words = Words(text);
            if (!words.empty())
                statements->push_back({line, words});
        }
        return true;
    }
};

static bool Number(const std::string &word, double *out)
{
    char *end;
    *out = strtod(word.c_str(), &end);
    return !word.empty() && *end == 0;
}

static bool Numbers(const std::vector<std::string> &w, size_t from, size_t count, std::vector<double> *out)
{
    if (w.size() < from + count)
        return false;
    out->clear();
    for (size_t i = from; i < from + count; i++) {
        double v;
        if (!Number(w[i], &v))
            return false;
        out->push_back(v);
    }
    return true;
}

// Points of an elliptical arc from start to end (degrees, counter-clockwise, y up).
static std::vector<Point> ArcPoints(double cx, double cy, double rx, double ry, double start, double end)
{
    int steps = std::max(4, (int)ceil(fabs(end - start) / 5.0));
    std::vector<Point> points;
    for (int i = 0; i <= steps; i++) {
        double a = (start + (end - start) * i / steps) * M_PI / 180.0;
        points.push_back({cx + rx * cos(a), cy + ry * sin(a)});
    }
    return points;
}

static bool LoadFont(const std::string &path, Font *font, std::string *error)
{
    Parser p{path, 0, error};
    std::vector<Statement> statements;
    if (!p.Read(&statements))
        return false;
    Glyph *glyph = NULL;
    std::vector<double> v;
    for (const Statement &statement : statements) {
        p.line = statement.line;
        const std::vector<std::string> &w = statement.words;
        if (w[0] == "glyph") {
            double advance;
            if (w.size() != 3 || !Number(w[2], &advance))
                return p.Fail("glyph NAME ADVANCE");
            std::string name = w[1] == "space" ? " " : w[1];
            glyph = &(*font)[name];
            glyph->advance = advance;
        } else if (!glyph) {
            return p.Fail("a stroke before the first glyph");
        } else if (w[0] == "line") {
            if (w.size() < 5 || (w.size() - 1) % 2 || !Numbers(w, 1, w.size() - 1, &v))
                return p.Fail("line X Y X Y ...");
            std::vector<Point> path;
            for (size_t i = 0; i < v.size(); i += 2)
                path.push_back({v[i], v[i + 1]});
            glyph->paths.push_back(path);
        } else if (w[0] == "arc") {
            if (w.size() != 7 || !Numbers(w, 1, 6, &v))
                return p.Fail("arc CX CY RX RY START END");
            glyph->paths.push_back(ArcPoints(v[0], v[1], v[2], v[3], v[4], v[5]));
        } else if (w[0] == "dot") {
            if (w.size() != 3 || !Numbers(w, 1, 2, &v))
                return p.Fail("dot X Y");
            glyph->paths.push_back({{v[0], v[1]}, {v[0], v[1]}});
        } else {
            return p.Fail("unknown stroke '" + w[0] + "'");
        }
    }
    return true;
}

// black, grey:N, red:N or rgb:R,G,B; the colour must be in the palette.
static bool ParseColour(const Scene &scene, const std::string &word, int *index)
{
    Colour c;
    int r, g, b;
    if (word == "black") {
        c = {0, 0, 0};
    } else if (sscanf(word.c_str(), "grey:%d", &g) == 1) {
        c = {(uint8_t)g, (uint8_t)g, (uint8_t)g};
    } else if (sscanf(word.c_str(), "red:%d", &r) == 1) {
        c = {(uint8_t)r, 0, 0};
    } else if (sscanf(word.c_str(), "rgb:%d,%d,%d", &r, &g, &b) == 3) {
        c = {(uint8_t)r, (uint8_t)g, (uint8_t)b};
    } else {
        return false;
    }
    for (size_t i = 0; i < scene.palette.size(); i++)
        if (scene.palette[i].r == c.r && scene.palette[i].g == c.g && scene.palette[i].b == c.b) {
            *index = (int)i;
            return true;
        }
    return false;
}

static double TextWidth(const Font &font, const std::string &text, double scale, double stroke, double tracking)
{
    double width = 0;
    for (size_t i = 0; i < text.size(); i++) {
        auto g = font.find(std::string(1, text[i]));
        width += g->second.advance * scale + stroke + (i + 1 < text.size() ? tracking : 0);
    }
    return width;
}

// text left|right X BASELINE CAPHEIGHT STROKE TRACKING COLOUR "TEXT": one stroke shape a glyph.
static bool AddText(Scene &scene, const std::vector<std::string> &w, Parser &p)
{
    std::vector<double> v;
    int colour;
    if (w.size() != 9 || (w[1] != "left" && w[1] != "right") || !Numbers(w, 2, 5, &v) || w[8].empty() || w[8][0] != '"')
        return p.Fail("text left|right X BASELINE CAPHEIGHT STROKE TRACKING COLOUR \"TEXT\"");
    if (!ParseColour(scene, w[7], &colour))
        return p.Fail("colour '" + w[7] + "' is not in the palette");
    std::string text = w[8].substr(1);
    for (char ch : text)
        if (!scene.font.count(std::string(1, ch)))
            return p.Fail(std::string("the font has no glyph '") + ch + "'");
    double scale = v[2] / 100.0, stroke = v[3], tracking = v[4];
    double left = v[0];
    if (w[1] == "right")
        left -= TextWidth(scene.font, text, scale, stroke, tracking);
    double pen = left + stroke / 2;
    for (char ch : text) {
        const Glyph &g = scene.font[std::string(1, ch)];
        auto shape = std::make_unique<StrokeShape>();
        shape->colour = colour;
        shape->radius = stroke / 2;
        for (const std::vector<Point> &path : g.paths)
            for (size_t i = 0; i + 1 < path.size(); i++)
                shape->Add({pen + path[i].x * scale, v[1] - path[i].y * scale},
                           {pen + path[i + 1].x * scale, v[1] - path[i + 1].y * scale});
        if (!shape->segments.empty())
            scene.shapes.push_back(std::move(shape));
        pen += g.advance * scale + stroke + tracking;
    }
    return true;
}

static bool LoadScene(const std::string &path, Scene *scene, std::string *error)
{
    Parser p{path, 0, error};
    std::vector<Statement> statements;
    if (!p.Read(&statements))
        return false;
    std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::vector<double> v;
    for (const Statement &statement : statements) {
        p.line = statement.line;
        const std::vector<std::string> &w = statement.words;
        const std::string &op = w[0];
        int colour = 0;
        if (op == "size") {
            if (w.size() != 3 || !Numbers(w, 1, 2, &v) || v[0] < 1 || v[1] < 1)
                return p.Fail("size WIDTH HEIGHT");
            scene->width = (int)v[0];
            scene->height = (int)v[1];
            scene->rowGrey.assign(scene->height, 255);
        } else if (op == "supersample") {
            if (w.size() != 2 || !Numbers(w, 1, 1, &v) || v[0] < 1 || v[0] > 16)
                return p.Fail("supersample N (1 to 16)");
            scene->supersample = (int)v[0];
        } else if (op == "palette") {
            if (w.size() == 2 && w[1] == "black") {
                scene->palette.push_back({0, 0, 0});
            } else if (w.size() == 5 && w[1] == "rgb" && Numbers(w, 2, 3, &v)) {
                scene->palette.push_back({(uint8_t)v[0], (uint8_t)v[1], (uint8_t)v[2]});
            } else if (w.size() == 5 && (w[1] == "greys" || w[1] == "reds") && Numbers(w, 2, 3, &v) && v[2] >= 1) {
                for (int i = (int)v[0]; i <= (int)v[1]; i += (int)v[2]) {
                    uint8_t c = (uint8_t)i;
                    scene->palette.push_back(w[1] == "greys" ? Colour{c, c, c} : Colour{c, 0, 0});
                }
            } else {
                return p.Fail("palette black | rgb R G B | greys|reds FROM TO STEP");
            }
            if (scene->palette.size() > 256)
                return p.Fail("more than 256 colours");
        } else if (op == "font") {
            if (w.size() != 2)
                return p.Fail("font FILE");
            if (!LoadFont(folder + w[1], &scene->font, error))
                return false;
        } else if (op == "gradient") {
            // Background greys from row Y0 to row Y1, rounded to whole steps.
            if (w.size() != 5 || !Numbers(w, 1, 4, &v) || v[2] < v[0])
                return p.Fail("gradient Y0 GREY0 Y1 GREY1");
            for (int y = std::max(0, (int)v[0]); y <= (int)v[2] && y < scene->height; y++) {
                double t = v[2] > v[0] ? (y - v[0]) / (v[2] - v[0]) : 0;
                int g = (int)floor(v[1] + (v[3] - v[1]) * t + 0.5);
                int index;
                if (!ParseColour(*scene, "grey:" + std::to_string(g), &index))
                    return p.Fail("grey " + std::to_string(g) + " is not in the palette");
                scene->rowGrey[y] = g;
            }
        } else if (op == "rect" || op == "ellipse" || op == "circle") {
            size_t n = op == "rect" || op == "ellipse" ? 4 : 3;
            if (w.size() != n + 2 || !Numbers(w, 1, n, &v))
                return p.Fail(op == "rect"      ? "rect X Y W H COLOUR"
                              : op == "ellipse" ? "ellipse CX CY RX RY COLOUR"
                                                : "circle CX CY R COLOUR");
            if (!ParseColour(*scene, w[n + 1], &colour))
                return p.Fail("colour '" + w[n + 1] + "' is not in the palette");
            if (op == "rect") {
                auto s = std::make_unique<RectShape>();
                s->box.Add(v[0], v[1], 0);
                s->box.Add(v[0] + v[2], v[1] + v[3], 0);
                s->colour = colour;
                scene->shapes.push_back(std::move(s));
            } else {
                auto s = std::make_unique<EllipseShape>();
                s->cx = v[0];
                s->cy = v[1];
                s->rx = v[2];
                s->ry = op == "circle" ? v[2] : v[3];
                s->box.Add(s->cx - s->rx, s->cy - s->ry, 0);
                s->box.Add(s->cx + s->rx, s->cy + s->ry, 0);
                s->colour = colour;
                scene->shapes.push_back(std::move(s));
            }
        } else if (op == "polygon" || op == "stroke") {
            // polygon COLOUR X Y X Y ...; stroke WIDTH COLOUR X Y X Y ...
            size_t first = op == "polygon" ? 2 : 3;
            double width = 0;
            if (w.size() < first + 4 || (w.size() - first) % 2 || !Numbers(w, first, w.size() - first, &v) ||
                (op == "stroke" && !Number(w[1], &width)))
                return p.Fail(op + (op == "stroke" ? " WIDTH" : "") + " COLOUR X Y X Y ...");
            if (!ParseColour(*scene, w[first - 1], &colour))
                return p.Fail("colour '" + w[first - 1] + "' is not in the palette");
            if (op == "polygon") {
                auto s = std::make_unique<PolygonShape>();
                for (size_t i = 0; i < v.size(); i += 2) {
                    s->points.push_back({v[i], v[i + 1]});
                    s->box.Add(v[i], v[i + 1], 0);
                }
                s->colour = colour;
                scene->shapes.push_back(std::move(s));
            } else {
                auto s = std::make_unique<StrokeShape>();
                s->radius = width / 2;
                s->colour = colour;
                for (size_t i = 0; i + 3 < v.size(); i += 2)
                    s->Add({v[i], v[i + 1]}, {v[i + 2], v[i + 3]});
                scene->shapes.push_back(std::move(s));
            }
        } else if (op == "text") {
            if (!AddText(*scene, w, p))
                return false;
        } else {
            return p.Fail("unknown statement '" + op + "'");
        }
    }
    if (scene->width == 0)
        return p.Fail("no size given");
    return true;
}

static bool IsGrey(const Colour &c)
{
    return c.r == c.g && c.g == c.b;
}

static bool IsRedOrBlack(const Colour &c)
{
    return c.g == 0 && c.b == 0;
}

// The palette entry of the class (greys or reds) nearest to the level.
static int Nearest(const std::vector<Colour> &palette, bool greys, double level)
{
    int best = -1;
    double bestDistance = 1e9;
    for (size_t i = 0; i < palette.size(); i++) {
        const Colour &c = palette[i];
        if (greys ? !IsGrey(c) : !IsRedOrBlack(c))
            continue;
        double d = fabs(c.r - level);
        if (d < bestDistance) {
            best = (int)i;
            bestDistance = d;
        }
    }
    return best;
}

// One pixel from its samples: greys mix into a grey, reds and black into a red; any other mix
// cannot be shown by the palette, so the colour most samples have wins.
static int ResolvePixel(const Scene &scene, const std::vector<int> &samples)
{
    bool greys = true, reds = true;
    double sum = 0;
    for (int s : samples) {
        const Colour &c = scene.palette[s];
        greys = greys && IsGrey(c);
        reds = reds && IsRedOrBlack(c);
        sum += c.r;
    }
    if (greys || reds)
        return Nearest(scene.palette, greys, sum / samples.size());
    std::map<int, int> count;
    int best = samples[0];
    for (int s : samples)
        if (++count[s] > count[best])
            best = s;
    return best;
}

} // namespace

bool RenderBanner(const std::string &scenePath, IndexedPicture *picture, std::string *error)
{
    Scene scene;
    if (!LoadScene(scenePath, &scene, error))
        return false;
    picture->width = scene.width;
    picture->height = scene.height;
    picture->palette = scene.palette;
    picture->pixels.assign((size_t)scene.width * scene.height, 0);

    std::vector<int> backgroundIndex(scene.height);
    for (int y = 0; y < scene.height; y++)
        ParseColour(scene, "grey:" + std::to_string(scene.rowGrey[y]), &backgroundIndex[y]);

    int n = scene.supersample;
    std::vector<int> samples;
    std::vector<const Shape *> near;
    for (int y = 0; y < scene.height; y++)
        for (int x = 0; x < scene.width; x++) {
            near.clear();
            for (auto it = scene.shapes.rbegin(); it != scene.shapes.rend(); ++it) {
                const Box &b = (*it)->box;
                if (b.x1 >= x && b.x0 <= x + 1 && b.y1 >= y && b.y0 <= y + 1)
                    near.push_back(it->get());
            }
            samples.clear();
            for (int sy = 0; sy < n; sy++)
                for (int sx = 0; sx < n; sx++) {
                    double px = x + (sx + 0.5) / n, py = y + (sy + 0.5) / n;
                    int colour = backgroundIndex[y];
                    for (const Shape *s : near)
                        if (s->Covers(px, py)) {
                            colour = s->colour;
                            break;
                        }
                    samples.push_back(colour);
                }
            picture->pixels[(size_t)y * scene.width + x] = (uint8_t)ResolvePixel(scene, samples);
        }
    return true;
}
