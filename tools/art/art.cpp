// Makes the wizard's artwork from its editable sources:
//   art header SCENE OUT.bmp   renders the banner scene into an 8-bit RLE8 bitmap
//   art icons ICONS OUTDIR     writes each icon of the pixel grids as OUTDIR/<name>.ico
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "banner.h"
#include "formats.h"

static int MakeHeader(const std::string &scene, const std::string &out)
{
    IndexedPicture picture;
    std::string error;
    if (!RenderBanner(scene, &picture, &error)) {
        fprintf(stderr, "art: %s\n", error.c_str());
        return 1;
    }
    Rle8Counts counts;
    std::vector<uint8_t> stream = EncodeRle8(picture, &counts);
    // The resource is specified as using every kind of code but the delta.
    if (!counts.encoded || !counts.absoluteOdd || !counts.absoluteEven || counts.endOfLine != picture.height - 1) {
        fprintf(stderr,
                "art: %s: the RLE8 stream lacks a kind of code (encoded %d, absolute odd %d, "
                "even %d, end of line %d)\n",
                scene.c_str(), counts.encoded, counts.absoluteOdd, counts.absoluteEven, counts.endOfLine);
        return 1;
    }
    if (!WriteRle8Bitmap(out, picture, stream)) {
        fprintf(stderr, "art: cannot write %s\n", out.c_str());
        return 1;
    }
    printf("art: %s: %dx%d, %zu colours, %zu bytes of RLE8 codes, %zu bytes as a resource\n", out.c_str(),
           picture.width, picture.height, picture.palette.size(), stream.size(),
           40 + 4 * picture.palette.size() + stream.size());
    return 0;
}

// The icon source: 16 "colour LETTER R G B" lines, then per icon "icon NAME" followed by
// "image SIZE" and SIZE rows of SIZE letters ('.' is transparent).
static int MakeIcons(const std::string &source, const std::string &folder)
{
    std::ifstream in(source);
    if (!in) {
        fprintf(stderr, "art: cannot read %s\n", source.c_str());
        return 1;
    }
    std::vector<Colour> palette;
    std::map<char, uint8_t> letters;
    std::vector<std::pair<std::string, std::vector<IndexedPicture>>> icons;
    std::string text;
    int line = 0;
    auto fail = [&](const std::string &message) {
        fprintf(stderr, "art: %s:%d: %s\n", source.c_str(), line, message.c_str());
        return 1;
    };
    IndexedPicture *image = NULL;
    int row = 0;
    while (std::getline(in, text)) {
        line++;
        if (image && row < image->height) {
            if ((int)text.size() != image->width)
                return fail("a row of " + std::to_string(image->width) + " letters expected");
            for (char c : text) {
                if (c != '.' && !letters.count(c))
                    return fail(std::string("no colour for '") + c + "'");
                image->pixels.push_back(c == '.' ? 255 : letters[c]);
            }
            row++;
            continue;
        }
        char name[64], letter;
        int r, g, b, size;
        if (text.empty() || text[0] == '#')
            continue;
        if (sscanf(text.c_str(), "colour %c %d %d %d", &letter, &r, &g, &b) == 4) {
            letters[letter] = (uint8_t)palette.size();
            palette.push_back({(uint8_t)r, (uint8_t)g, (uint8_t)b});
        } else if (sscanf(text.c_str(), "icon %63s", name) == 1) {
            icons.push_back({name, {}});
        } else if (sscanf(text.c_str(), "image %d", &size) == 1 && !icons.empty() && size > 0 && size <= 255) {
            if (palette.size() != 16)
                return fail("icons have exactly 16 colours");
            icons.back().second.push_back(IndexedPicture());
            image = &icons.back().second.back();
            image->width = image->height = size;
            image->palette = palette;
            row = 0;
        } else {
            return fail("unknown line");
        }
    }
    if (image && row < image->height)
        return fail("the last image is cut short");
    for (const auto &icon : icons) {
        std::string out = folder + "/" + icon.first + ".ico";
        if (!WriteIcon(out, icon.second)) {
            fprintf(stderr, "art: cannot write %s\n", out.c_str());
            return 1;
        }
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "header") == 0)
        return MakeHeader(argv[2], argv[3]);
    if (argc == 4 && strcmp(argv[1], "icons") == 0)
        return MakeIcons(argv[2], argv[3]);
    fprintf(stderr, "usage: art header SCENE OUT.bmp\n"
                    "       art icons ICONS OUTDIR\n");
    return 2;
}
