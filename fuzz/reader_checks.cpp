#include "fuzz/reader_checks.h"

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_dta.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_hatch.h"
#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_msg_p.h"
#include "gdx/zun_gdx.h"
#include "images/zun_image.h"
#include "images/zun_image_bar.h"
#include "images/zun_image_drill.h"
#include "images/zun_image_fsheet.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace zun_fuzz {

namespace {

using namespace ZUN;

std::string textOf(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::string utf8(const CZunString& s) { return s.toUtf8(); }

// ---- scratch files ---------------------------------------------------------------

// One folder per process, so that fuzzing jobs running side by side do not
// read each other's files.
const std::filesystem::path& scratchDir()
{
    static const std::filesystem::path dir = [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / ("zun_reader_checks_" + std::to_string(getpid()));
        std::filesystem::create_directories(p / "msg");
        return p;
    }();
    return dir;
}

CZunString writeScratch(const std::string& relative, const std::string& content)
{
    const std::filesystem::path file = scratchDir() / relative;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    return CZunString::fromUtf8(file.string());
}

bool g_scratchOnDataPath = false;

// ---- data trees ------------------------------------------------------------------

// A refusal must say where: a line and column inside the text.
std::string checkPosition(const CDataFileError& error, const std::string& text, const char* what)
{
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (error.message.isEmpty())
        return std::string(what) + ": refused without a message";
    if (error.line < 1 || error.line > lines || error.column < 1)
        return std::string(what) + ": refused at an impossible position " + utf8(error.toString());
    return {};
}

// The library's promises about a material library it accepted: every
// listed material resolves, under its own key, keeping its own members.
std::string checkMaterialLibrary(const CZunDataItem& root)
{
    CZunMatMgr mgr;
    CZunArrayTempl<CZunString> keys;
    const int count = mgr.matDrawAll(keys, true);
    if (count != keys.len())
        return "materials: matDrawAll's count differs from its list";
    for (const CZunString& key : keys) {
        CMatProp prop;
        if (!mgr.propGet(key, prop))
            return "materials: listed material " + utf8(key) + " does not resolve";
        if (prop.key != key || prop.physKind < 0 || prop.edgeKind < 0)
            return "materials: material " + utf8(key) + " resolved with a wrong key or kind";
        CZunArrayTempl<CZunString> subs;
        const CZunDataItem* own = root.getItem(CZunDataKey(CZunItemKey(key)));
        if (own && own->get(subs, L"SUBS") && subs != prop.subMats)
            return "materials: material " + utf8(key) + " lost its own SUBS";
        if (mgr.matLabel(key, L"en").isEmpty())
            return "materials: material " + utf8(key) + " has an empty label";
    }
    return {};
}

} // namespace

std::string checkDataTree(const std::uint8_t* data, std::size_t size)
{
    const std::string text = textOf(data, size);
    CZunDataItem root(true);
    root.set(L"kept", L"SENTINEL");
    const std::string before = dataToJson(root);
    CDataFileError error;
    if (!dataFromJson(text, L"fuzz.json", root, &error)) {
        if (dataToJson(root) != before)
            return "a refused file changed the tree";
        return checkPosition(error, text, "data tree");
    }

    // Written and read again, in either layout, the tree stays the same.
    const std::string written = dataToJson(root);
    for (const int indent : {1, -1}) {
        const std::string form = indent == 1 ? written : dataToJson(root, indent);
        CZunDataItem back(true);
        if (!dataFromJson(form, L"written.json", back, &error))
            return "the written tree does not read back: " + utf8(error.toString());
        if (dataToJson(back) != written)
            return "the tree read back differs from the one written";
    }

    // A configuration layer laid over itself, or over nothing, is itself.
    CZunDataItem merged(root);
    dataMerge(merged, root);
    if (dataToJson(merged) != written)
        return "a tree merged over itself changed";
    CZunDataItem fresh(true);
    dataMerge(fresh, root);
    if (dataToJson(fresh) != written)
        return "a tree merged over an empty one differs from it";

    // As a material library: refused with a reason or usable throughout.
    CZunString why;
    if (!CZunMatMgr::setLibraryFile(writeScratch("library.json", text), &why))
        return why.isEmpty() ? "materials: library refused without a reason" : std::string();
    return checkMaterialLibrary(root);
}

// ---- drawings ------------------------------------------------------------------

namespace {

void registerGenerators()
{
    setGdxImageFcn(L"DRILL", zun_gdx_image_drill);
    setGdxImageFcn(L"HOLE", zun_gdx_image_hole);
    setGdxImageFcn(L"SHEET", zun_gdx_image_fsheet);
    setGdxImageFcn(L"BAR", zun_gdx_image_bar_surface);
}

// Draws every part of the open drawing as the hosts do; a generator may
// refuse a part, but must neither fault nor hang.
void drawParts()
{
    const CZunDrawing& drawing = drawingCurrent();
    for (int i = 0; i < drawing.partCount(); ++i) {
        const CZunPart& part = *drawing.part(i);
        const CAdsName name = drawing.entityName(part);
        CUniqPointer<CDtaFilePointer> handle = dtaOpen(kDtaEntity, kDtaRead, &name, nullptr, nullptr);
        CUniqPointer<CDtaFilePointer> options = dtaOpen(kDtaMemory, kDtaRead | kDtaWrite, nullptr, nullptr, nullptr);
        CZunString text;
        for (const wchar_t* key : {L"GRP", L"BT"})
            if (part.data.get(text, key))
                options->get()->set(text.c_str(), key);
        CZunGDX gdx;
        zun_gdx_image(part.type.c_str(), &gdx, handle.get(), options.get());
    }
}

std::string checkDrawingMaterials()
{
    CZunMatMgr mgr;
    CZunArrayTempl<CZunString> keys;
    mgr.matDrawAll(keys, false);
    for (const CZunString& key : keys) {
        CMatProp prop;
        if (!mgr.propGet(key, prop) || prop.key != key)
            return "drawing material " + utf8(key) + " does not resolve";
        mgr.matLabel(key, L"");
    }
    return {};
}

const char* const kKeptDrawing =
    R"({"zun": "drawing", "version": 1, "parts": [{"handle": "K", "type": "HOLE", "data": {"KEPT": 1}}]})";

} // namespace

std::string checkDrawing(const std::uint8_t* data, std::size_t size)
{
    const std::string text = textOf(data, size);
    CZunDrawing drawing;
    drawing.loadJson(kKeptDrawing, L"kept.json");
    const std::string before = drawing.toJson();
    CDataFileError error;
    if (!drawing.loadJson(text, L"fuzz.json", &error)) {
        if (drawing.toJson() != before)
            return "a refused drawing changed the open one";
        return checkPosition(error, text, "drawing");
    }
    for (int i = 0; i < drawing.partCount(); ++i) {
        const CZunPart* part = drawing.part(i);
        if (part->handle.isEmpty() || drawing.partByHandle(part->handle) != part)
            return "part " + std::to_string(i) + " has an empty or a shared handle";
        if (drawing.partByName(drawing.entityName(*part)) != part)
            return "part " + std::to_string(i) + " is not found by its entity name";
    }

    const std::string written = drawing.toJson();
    CZunDrawing back;
    if (!back.loadJson(written, L"written.json", &error))
        return "the written drawing does not read back: " + utf8(error.toString());
    if (back.toJson() != written)
        return "the drawing read back differs from the one written";

    registerGenerators();
    drawingCurrent().swap(drawing);
    drawParts();
    const std::string materials = checkDrawingMaterials();
    drawingCurrent().swap(drawing);
    return materials;
}

// ---- hatch patterns ------------------------------------------------------------

namespace {

// The library as .pat text, numbers written so that they read back exactly.
std::string patternText(const CHatchPatternLib& lib)
{
    std::string out;
    char number[32];
    for (const CZunString& name : lib.names()) {
        out += "*" + utf8(name);
        const CZunString description = lib.description(name);
        if (!description.isEmpty())
            out += ", " + utf8(description);
        out += '\n';
        CHatchPattern lines;
        lib.get(name, lines);
        for (const CHatchLine& line : lines) {
            for (int i = 0; i < line.len(); ++i) {
                std::snprintf(number, sizeof number, "%s%.17g", i ? ", " : "", line[i]);
                out += number;
            }
            out += '\n';
        }
    }
    return out;
}

std::string checkPatternLib(const CHatchPatternLib& lib)
{
    const CZunArrayTempl<CZunString> names = lib.names();
    if (names.len() != lib.len())
        return "names() and len() disagree";
    for (int i = 0; i < names.len(); ++i) {
        const CZunString& name = names[i];
        CHatchPattern lines;
        if (name.isEmpty() || !lib.contains(name) || !lib.get(name, lines))
            return "pattern " + std::to_string(i) + " cannot be found by its name";
        // Names match without regard to case: in upper case always, in lower
        // case where that maps back ("\u0130" lowers to a plain "i").
        CZunString upper = name, lower = name;
        upper.makeUpper();
        lower.makeLower();
        if (!lib.contains(upper))
            return "pattern " + utf8(name) + " is not found in upper case";
        if (CZunString(lower).makeUpper() == upper && !lib.contains(lower))
            return "pattern " + utf8(name) + " is not found in lower case";
        if (lines.isEmpty() || lines.len() > kHatchMaxLines)
            return "pattern " + utf8(name) + " has " + std::to_string(lines.len()) + " lines";
        for (const CHatchLine& line : lines) {
            if (line.len() < 5 || line.len() > 5 + kHatchMaxDashes)
                return "pattern " + utf8(name) + " has a line of " + std::to_string(line.len()) + " numbers";
            for (const double v : line)
                if (!std::isfinite(v))
                    return "pattern " + utf8(name) + " has a number that is not finite";
            // What the hatching works from: every number under its name.
            const CPatternLine named = patternLineOf(line);
            const bool same = named.angle == line[0] && named.originX == line[1] && named.originY == line[2] &&
                              named.shift == line[3] && named.spacing == line[4] &&
                              std::equal(named.dashes.begin(), named.dashes.end(), line.begin() + 5, line.end());
            if (!same)
                return "pattern " + utf8(name) + " has a line whose named form differs from its numbers";
        }
    }
    return {};
}

} // namespace

std::string checkHatchPatterns(const std::uint8_t* data, std::size_t size)
{
    const std::string text = textOf(data, size);
    CHatchPatternLib lib;
    lib.parse("*KEPT, kept\n0, 0, 0, 0, 1\n", L"kept.pat");
    const std::string before = patternText(lib);
    CZunString error;
    if (!lib.parse(text, L"fuzz.pat", &error)) {
        if (patternText(lib) != before)
            return "a refused file changed the library";
        const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        int line = 0;
        if (std::swscanf(error.c_str(), L"fuzz.pat:%d: ", &line) != 1 || line < 1 || line > lines)
            return "refused without its line: " + utf8(error);
        return {};
    }
    if (std::string problem = checkPatternLib(lib); !problem.empty())
        return problem;

    // Written and read again, the patterns stay the same.
    const std::string written = patternText(lib);
    CHatchPatternLib back;
    if (!back.parse(written, L"written.pat", &error))
        return "the written patterns do not read back: " + utf8(error);
    if (patternText(back) != written)
        return "the patterns read back differ from the ones written";

    // Read again into the same library, every pattern is replaced in its place.
    const CZunArrayTempl<CZunString> names = lib.names();
    if (!lib.parse(text, L"fuzz.pat") || lib.names() != names || patternText(lib) != written)
        return "reading the same text again changed the library";
    return {};
}

// ---- message catalogues ----------------------------------------------------------

namespace {

const wchar_t* const kLanguage = L"zz";  // a code no shipped catalogue has
const CZunString kDefault = L"\x1F(default)";

// What a lookup must give: the first non-empty entry of prefix + key and
// key, else the default.
CZunString expectedText(const msg_detail::CatalogueTexts& texts, const std::wstring& prefix, const std::wstring& key)
{
    const auto entry = [&texts](const std::wstring& k) -> const std::wstring* {
        const auto found = texts.find(k);
        return found == texts.end() || found->second.empty() ? nullptr : &found->second;
    };
    const std::wstring* text = prefix.empty() ? nullptr : entry(prefix + key);
    if (!text)
        text = entry(key);
    return text ? CZunString(*text) : kDefault;
}

std::string checkLabels(const CZunString& text)
{
    // The text survives the trip into a label and out, whatever it holds.
    for (const wchar_t* language : {L"de", L"en", L"fr"}) {
        CZunString label;
        if (!label_set(label, text, language))
            return "label_set refused a known language";
        if (label_get(label, language, false) != text)
            return "a text did not survive a label: " + utf8(text);
    }
    // As a label itself: setting one language keeps the others' texts.
    CZunString label = text;
    const bool composite = text.len() > 0 && text[0] == L'\\';
    if (!label_set(label, L"X", L"en") || label_get(label, L"en", false) != L"X")
        return "a label does not keep the text set in it: " + utf8(text);
    for (const wchar_t* language : {L"de", L"fr"}) {
        const CZunString was = composite ? label_get(text, language, false)
                                         : (CZunString(language) == L"de" ? text : CZunString());
        if (label_get(label, language, false) != was)
            return "setting one language of a label changed another: " + utf8(text);
    }
    CZunString again = label;
    if (!label_set(again, L"X", L"en") || again != label)
        return "setting the same text again changed a label: " + utf8(text);
    if (!label_set(label, L"", L"en") || !label_get(label, L"en", false).isEmpty())
        return "removing a language from a label left it: " + utf8(text);
    return {};
}

} // namespace

std::string checkMessageCatalogue(const std::uint8_t* data, std::size_t size)
{
    const std::string text = textOf(data, size);
    msg_detail::CatalogueTexts texts;
    texts[L"KEPT"] = L"kept";
    CZunString error;
    const bool ok = msg_detail::catalogueParse(text, L"fuzz.json", texts, error);
    if (!ok) {
        if (!texts.empty())
            return "a refused catalogue left texts behind";
        if (error.left(11) != L"fuzz.json: " || error.len() <= 11)
            return "refused without its file and reason: " + utf8(error);
    }

    // Found on the data path, the catalogue gives what it was read as.
    if (!g_scratchOnDataPath) {
        dataDirAdd(CZunString::fromUtf8(scratchDir().string()));
        g_scratchOnDataPath = true;
    }
    const CZunString path = writeScratch("msg/zz.json", text);
    msgCatalogReset();
    const CZunString lookupError = msgCatalogError(kLanguage);
    if (ok != lookupError.isEmpty())
        return "the catalogue on the data path loads otherwise than its text";
    if (!ok && lookupError != path + error.mid(9))
        return "the catalogue on the data path is refused for another reason: " + utf8(lookupError);

    int checked = 0;
    for (const auto& [key, value] : texts) {
        if (++checked > 64)
            break;  // enough to see lookups work; labels below are slower
        const CZunString k(key);
        const CZunString got = zun_msg_get(L"", k, kDefault, kLanguage);
        if (got != (k.isEmpty() ? kDefault : expectedText(texts, L"", key)))
            return "key " + utf8(k) + " looks up another text than was read";
        if (zun_msg_get(L"", k, kDefault, L"0") != k)
            return "language 0 does not give the key " + utf8(k);
        // Split into a prefix and the rest, the prefixed entry comes first.
        if (key.size() >= 2) {
            const std::wstring prefix = key.substr(0, 1), rest = key.substr(1);
            if (zun_msg_get(CZunString(prefix), CZunString(rest), kDefault, kLanguage) !=
                expectedText(texts, prefix, rest))
                return "key " + utf8(k) + " with a prefix looks up another text";
        }
        if (std::string problem = checkLabels(CZunString(value)); !problem.empty())
            return problem;
    }
    return {};
}

void resetReaderChecks()
{
    CZunMatMgr::setLibraryFile(L"");
    if (g_scratchOnDataPath) {
        dataDirRemove(CZunString::fromUtf8(scratchDir().string()));
        g_scratchOnDataPath = false;
    }
    msgCatalogReset();
    for (const wchar_t* type : {L"DRILL", L"HOLE", L"SHEET", L"BAR"})
        setGdxImageFcn(type, nullptr);
    std::error_code ec;
    std::filesystem::remove_all(scratchDir(), ec);
    std::filesystem::create_directories(scratchDir() / "msg", ec);
}

} // namespace zun_fuzz
