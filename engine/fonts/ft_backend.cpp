// Font resolution through fontconfig and advance tables through FreeType.
#include "cp1252.h"
#include "face_subst.h"
#include "font_backend.h"
#include "font_choice.h"
#include "font_table.h"

#include "tk_log.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <cstring>
#include <strings.h>
#include <vector>

namespace {

struct font_file {
    std::string family; // the family name as the candidate asked for it
    std::string path;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
};

bool has_family(FcPattern* p, const std::string& family)
{
    FcChar8* s = nullptr;
    for (int i = 0; FcPatternGetString(p, FC_FAMILY, i, &s) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(s), family.c_str()) == 0)
            return true;
    return false;
}

int get_int(FcPattern* p, const char* object, int fallback)
{
    int v = 0;
    return FcPatternGetInteger(p, object, 0, &v) == FcResultMatch ? v : fallback;
}

bool outline_format(FcPattern* p, const std::string& path)
{
    FcChar8* fmt = nullptr;
    std::string format;
    if (FcPatternGetString(p, FC_FONTFORMAT, 0, &fmt) == FcResultMatch)
        format = reinterpret_cast<const char*>(fmt);
    if (format == "CFF" || format == "TrueType")
        return true;
    std::string::size_type dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
    return strcasecmp(ext.c_str(), ".otf") == 0 || strcasecmp(ext.c_str(), ".ttf") == 0;
}

// The installed font of exactly this family that fits the asked style best. fontconfig's own
// matching always answers something (and aliases), so only its list of the family is used.
// An empty family takes any installed font, as the last resort.
bool find_family(FcConfig* config, const std::string& family, bool bold, bool italic, font_file& out)
{
    FcPattern* pat = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH,
                                       FC_FONTFORMAT, FC_FONTVERSION, FC_SCALABLE, nullptr);
    FcFontSet* fs = FcFontList(config, pat, os);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    if (!fs)
        return false;

    std::vector<font_entry> entries;
    for (int i = 0; i < fs->nfont; ++i) {
        FcPattern* p = fs->fonts[i];
        FcChar8* file = nullptr;
        FcBool scalable = FcTrue;
        if ((!family.empty() && !has_family(p, family)) ||
            FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        if (FcPatternGetBool(p, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable)
            continue;
        font_entry e;
        FcChar8* name = nullptr;
        e.family = !family.empty() ? family
                   : FcPatternGetString(p, FC_FAMILY, 0, &name) == FcResultMatch
                       ? reinterpret_cast<const char*>(name)
                       : std::string();
        e.path = reinterpret_cast<const char*>(file);
        e.index = get_int(p, FC_INDEX, 0);
        e.weight = get_int(p, FC_WEIGHT, FC_WEIGHT_REGULAR);
        e.slanted = get_int(p, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
        e.width = get_int(p, FC_WIDTH, FC_WIDTH_NORMAL);
        e.outline = outline_format(p, e.path);
        e.version = get_int(p, FC_FONTVERSION, 0);
        entries.push_back(std::move(e));
    }
    FcFontSetDestroy(fs);
    const int best = choose_font(entries, bold, italic);
    if (best < 0)
        return false;
    const font_entry& e = entries[size_t(best)];
    out.family = e.family;
    out.path = e.path;
    out.index = e.index;
    out.weight = e.weight;
    return true;
}

// The charmap that indexes a symbol face by byte position. The Adobe custom encoding is
// tried first, but it may be present and empty (the OpenType Standard Symbols PS keeps its
// positions in its Unicode cmap); Microsoft symbol cmaps put the bytes at 0xF000.
bool select_position_charmap(FT_Face ft, unsigned& base)
{
    const FT_Encoding order[] = {FT_ENCODING_ADOBE_CUSTOM, FT_ENCODING_MS_SYMBOL, FT_ENCODING_UNICODE};
    const unsigned alpha = 0x61; // alpha in the symbol encoding
    for (FT_Encoding enc : order) {
        if (FT_Select_Charmap(ft, enc) != 0)
            continue;
        base = enc == FT_ENCODING_MS_SYMBOL ? 0xF000 : 0;
        if (FT_Get_Char_Index(ft, base + alpha) != 0)
            return true;
    }
    base = 0;
    return false;
}

class freetype_backend : public font_backend {
public:
    freetype_backend()
    {
        // A configuration of our own, released with the measurer, rather than fontconfig's
        // process-wide one.
        config_ = FcInitLoadConfigAndFonts();
        if (FT_Init_FreeType(&lib_) != 0)
            lib_ = nullptr;
        if (!lib_ || !config_)
            tk_log(3, "pdf_width_getter: the font engine could not be started");
    }
    ~freetype_backend() override
    {
        if (lib_)
            FT_Done_FreeType(lib_);
        if (config_)
            FcConfigDestroy(config_);
    }

    std::unique_ptr<face_metrics> load(const std::string& face, bool bold, bool italic) override
    {
        if (!lib_ || !config_)
            return nullptr;
        font_file file;
        bool found = false;
        bool force_bold = false;
        for (const face_candidate& c : face_candidates(face)) {
            if (find_family(config_, c.family, bold || c.always_bold, italic, file)) {
                found = true;
                force_bold = c.always_bold;
                break;
            }
        }
        if (!found && !find_family(config_, std::string(), bold, italic, file)) {
            tk_log(3, "pdf_width_getter: no font for %s", face.c_str());
            return nullptr;
        }
        auto m = read_metrics(file, font_table_symbol_face(face));
        if (!m) {
            tk_log(3, "pdf_width_getter: cannot read %s", file.path.c_str());
            return nullptr;
        }
        m->synthetic_bold = bold && !force_bold && file.weight < FC_WEIGHT_DEMIBOLD;
        tk_log(2, "pdf_width_getter: %s%s%s -> %s (%s)%s", face.c_str(), bold ? " bold" : "",
               italic ? " italic" : "", m->family.c_str(), m->file.c_str(),
               m->synthetic_bold ? " emboldened" : "");
        return m;
    }

private:
    std::unique_ptr<face_metrics> read_metrics(const font_file& file, bool symbol)
    {
        FT_Face ft = nullptr;
        if (FT_New_Face(lib_, file.path.c_str(), file.index, &ft) != 0)
            return nullptr;
        auto m = std::make_unique<face_metrics>();
        m->family = file.family;
        m->file = file.path;
        m->units_per_em = ft->units_per_EM > 0 ? ft->units_per_EM : 2048;
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
            m->cell_units = os2->usWinAscent + os2->usWinDescent;
        else
            m->cell_units = ft->ascender - ft->descender;
        if (m->cell_units <= 0)
            m->cell_units = m->units_per_em;

        // Symbol bytes are glyph positions: use the face's own encoding, indexed by the byte.
        bool by_position = false;
        unsigned symbol_base = 0;
        if (symbol)
            by_position = select_position_charmap(ft, symbol_base);
        if (!by_position)
            FT_Select_Charmap(ft, FT_ENCODING_UNICODE);

        FT_Fixed notdef = 0;
        FT_Get_Advance(ft, 0, FT_LOAD_NO_SCALE, &notdef);
        for (int b = 0; b < 256; ++b) {
            FT_UInt glyph;
            if (by_position) {
                glyph = FT_Get_Char_Index(ft, symbol_base + b);
                if (!glyph && symbol_base)
                    glyph = FT_Get_Char_Index(ft, b);
            } else {
                glyph = FT_Get_Char_Index(ft, cp1252_to_unicode(static_cast<unsigned char>(b)));
            }
            FT_Fixed adv = notdef;
            if (glyph && FT_Get_Advance(ft, glyph, FT_LOAD_NO_SCALE, &adv) != 0)
                adv = notdef;
            m->advance[b] = static_cast<int>(adv);
        }
        FT_Done_Face(ft);
        return m;
    }

    FT_Library lib_ = nullptr;
    FcConfig* config_ = nullptr;
};

} // namespace

std::unique_ptr<font_backend> make_freetype_backend()
{
    return std::make_unique<freetype_backend>();
}
