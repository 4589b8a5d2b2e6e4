#include "contracts/data/zun_msg.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_data_file_p.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg_p.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ZUN {

namespace {

constexpr const wchar_t* kDefaultLanguage = L"de";

struct Catalogue {
    msg_detail::CatalogueTexts texts;
    CZunString error;
};

struct MsgState {
    std::mutex lock;
    CZunString language = kDefaultLanguage;
    std::map<std::wstring, Catalogue> catalogues;
};

MsgState& state()
{
    static MsgState s;
    return s;
}

// A code ends up in a file name and inside labels, so only characters that
// are harmless in both are allowed ("../x" must not reach the file system).
bool isLanguageCode(const CZunString& code)
{
    if (code.isEmpty())
        return false;
    for (const wchar_t c : code.view()) {
        const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')
            || c == L'_' || c == L'-';
        if (!ok)
            return false;
    }
    return true;
}

CZunString lowered(CZunString text)
{
    text.makeLower();
    return text;
}

// nlohmann's messages start with an internal tag ("[json.exception.parse_
// error.101] "); the user needs only the part after it.
std::string withoutExceptionTag(const std::string& what)
{
    if (!what.empty() && what.front() == '[') {
        const size_t close = what.find("] ");
        if (close != std::string::npos)
            return what.substr(close + 2);
    }
    return what;
}

// Fills catalogue from the file; on any fault the catalogue stays empty and
// the fault goes into its error text.
void readCatalogue(const CZunString& path, Catalogue& catalogue)
{
    const std::string file = path.toUtf8();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        catalogue.error = path + L": cannot be opened";
        return;
    }
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    msg_detail::catalogueParse(content, path, catalogue.texts, catalogue.error);
}

// The catalogue of a language, read on first use. Caller holds the lock.
const Catalogue& catalogueOf(const CZunString& language)
{
    MsgState& s = state();
    const auto found = s.catalogues.find(language.str());
    if (found != s.catalogues.end())
        return found->second;
    Catalogue& catalogue = s.catalogues[language.str()];
    if (!isLanguageCode(language))
        return catalogue;
    const CZunString path = fileFind(L"msg/" + language + L".json");
    if (path.isEmpty())
        return catalogue;
    readCatalogue(path, catalogue);
    if (!catalogue.error.isEmpty())
        std::fprintf(stderr, "zun: message catalogue ignored: %s\n", catalogue.error.toUtf8().c_str());
    return catalogue;
}

CZunString requestedLanguage(const CZunString& language)
{
    if (!language.isEmpty())
        return lowered(language);
    const std::lock_guard<std::mutex> guard(state().lock);
    return state().language;
}

// ---- labels

struct LabelPart {
    std::wstring code;
    std::wstring text;
};

// One part of a composite label as it stands in the label: the code as
// written and the text still escaped (every backslash doubled).
struct LabelSpan {
    std::wstring_view code;
    std::wstring_view text;
};

// Calls visit(span) for each part with a code, in order, until visit
// returns true. Reading a label is done for every material of a tree, so
// this walks the label in place instead of copying its parts.
template <class Visit>
void forEachLabelPart(std::wstring_view label, Visit visit)
{
    size_t i = 1;  // past the leading backslash
    while (i < label.size()) {
        const size_t colon = label.find_first_of(L":\\", i);
        if (colon == std::wstring_view::npos)
            break;
        if (label[colon] == L'\\') {
            i = colon + 1;  // a part without a code
            continue;
        }
        const std::wstring_view code = label.substr(i, colon - i);
        i = colon + 1;
        const size_t start = i;
        while (i < label.size()) {
            if (label[i] == L'\\') {
                if (i + 1 < label.size() && label[i + 1] == L'\\') {
                    i += 2;  // an escaped backslash
                    continue;
                }
                break;  // the start of the next part
            }
            ++i;
        }
        const std::wstring_view text = label.substr(start, i - start);
        ++i;  // the backslash before the next part
        if (!code.empty() && visit(LabelSpan{code, text}))
            return;
    }
}

std::wstring unescaped(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t slash; (slash = text.find(L'\\', from)) != std::wstring_view::npos; from = slash + 2) {
        out.append(text.substr(from, slash + 1 - from));  // up to the first of a doubled backslash
        if (slash + 2 > text.size())
            return out;
    }
    out.append(text.substr(from));
    return out;
}

// Whether a code as written in a label is code (in lower case). Codes are
// ASCII, compared here without making a lower-case copy of each.
bool sameCode(std::wstring_view written, const CZunString& code)
{
    if (written.size() != static_cast<size_t>(code.len()))
        return false;
    for (size_t i = 0; i < written.size(); ++i) {
        wchar_t c = written[i];
        if (c >= 0x80)
            return lowered(CZunString(written)) == code;
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != code.str()[i])
            return false;
    }
    return true;
}

std::vector<LabelPart> parseLabel(std::wstring_view label)
{
    std::vector<LabelPart> parts;
    forEachLabelPart(label, [&parts](const LabelSpan& span) {
        parts.push_back({lowered(CZunString(span.code)).str(), unescaped(span.text)});
        return false;
    });
    return parts;
}

// Where a code stands in the country table; unknown codes after all known.
int tableRank(const std::wstring& code)
{
    const ZunCountry_st* countries = zunDlCountrys();
    int i = 0;
    for (; countries[i].code; ++i)
        if (code == countries[i].code)
            return i;
    return i;
}

CZunString writeLabel(const std::vector<LabelPart>& parts)
{
    std::wstring label;
    for (const LabelPart& part : parts) {
        label += L'\\';
        label += part.code;
        label += L':';
        for (const wchar_t c : part.text) {
            if (c == L'\\')
                label += L'\\';
            label += c;
        }
    }
    return CZunString(std::move(label));
}

} // namespace

bool msg_detail::catalogueParse(const std::string& utf8, const CZunString& sourceName, CatalogueTexts& texts,
                                CZunString& error)
{
    texts.clear();
    // A catalogue is flat; a deep file is refused before nlohmann builds it.
    if (json_detail::jsonTooDeepAt(utf8) != std::string::npos) {
        error = sourceName + L": " + CZunString::fromUtf8(json_detail::jsonTooDeepMessage());
        return false;
    }
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(utf8);
    } catch (const nlohmann::json::exception& e) {
        error = sourceName + L": " + CZunString::fromUtf8(withoutExceptionTag(e.what()));
        return false;
    }
    if (!doc.is_object()) {
        error = sourceName + L": expected one JSON object of message keys and texts";
        return false;
    }
    CatalogueTexts read;
    for (const auto& [key, value] : doc.items()) {
        if (!value.is_string()) {
            // Half a catalogue would mix languages on one dialog; the German
            // defaults throughout read better.
            error = sourceName + L": the text of \"" + CZunString::fromUtf8(key) + L"\" is not a string";
            return false;
        }
        read[CZunString::fromUtf8(key).str()] = CZunString::fromUtf8(value.get<std::string>()).str();
    }
    texts = std::move(read);
    return true;
}

CZunString zun_msg_get(const CZunString& prefix, const CZunString& key, const CZunString& defaultText,
                       const CZunString& language)
{
    if (language == L"0")
        return key;
    if (key.isEmpty())
        return defaultText;
    const CZunString lang = requestedLanguage(language);
    if (lang == L"0")
        return key;
    const std::lock_guard<std::mutex> guard(state().lock);
    const Catalogue& catalogue = catalogueOf(lang);
    const auto lookup = [&catalogue](const std::wstring& k) -> const std::wstring* {
        const auto found = catalogue.texts.find(k);
        return found == catalogue.texts.end() || found->second.empty() ? nullptr : &found->second;
    };
    const std::wstring* text = prefix.isEmpty() ? nullptr : lookup(prefix.str() + key.str());
    if (!text)
        text = lookup(key.str());
    return text ? CZunString(*text) : defaultText;
}

CZunString msgLangSet(const wchar_t* language)
{
    MsgState& s = state();
    const std::lock_guard<std::mutex> guard(s.lock);
    CZunString previous = s.language;
    if (language)
        s.language = *language ? lowered(language) : CZunString(kDefaultLanguage);
    return previous;
}

CZunString msgCatalogError(const CZunString& language)
{
    const CZunString lang = requestedLanguage(language);
    const std::lock_guard<std::mutex> guard(state().lock);
    return catalogueOf(lang).error;
}

void msgCatalogReset()
{
    const std::lock_guard<std::mutex> guard(state().lock);
    state().catalogues.clear();
}

CZunString label_get(const CZunString& label, const CZunString& language, bool fallback)
{
    if (label.isEmpty() || label[0] != L'\\')
        return label;
    const CZunString code = requestedLanguage(language);
    std::wstring_view first, german, wanted;
    bool found = false, haveFirst = false, haveGerman = false;
    forEachLabelPart(label.view(), [&](const LabelSpan& span) {
        if (sameCode(span.code, code)) {
            wanted = span.text;
            return found = true;
        }
        if (!haveGerman && sameCode(span.code, kDefaultLanguage)) {
            german = span.text;
            haveGerman = true;
        }
        if (!haveFirst) {
            first = span.text;
            haveFirst = true;
        }
        return false;
    });
    if (found)
        return CZunString(unescaped(wanted));
    if (!fallback || !haveFirst)
        return {};
    return CZunString(unescaped(haveGerman ? german : first));
}

bool label_set(CZunString& label, const CZunString& text, const CZunString& language)
{
    const CZunString lang = requestedLanguage(language);
    if (!isLanguageCode(lang))
        return false;
    std::vector<LabelPart> parts;
    if (!label.isEmpty() && label[0] == L'\\')
        parts = parseLabel(label.view());
    else if (!label.isEmpty())
        parts.push_back({kDefaultLanguage, label.str()});

    // A damaged or hand-made label may name a language twice; reading takes
    // the first, so writing keeps only that one.
    std::vector<LabelPart> unique;
    for (LabelPart& part : parts) {
        const bool seen = part.code == lang.str()
            || std::any_of(unique.begin(), unique.end(), [&part](const LabelPart& u) { return u.code == part.code; });
        if (!seen)
            unique.push_back(std::move(part));
    }
    parts = std::move(unique);
    if (text.isEmpty() && label[0] != L'\\' && lang != kDefaultLanguage)
        return true;  // nothing to remove from a plain label: keep it plain
    if (!text.isEmpty())
        parts.push_back({lang.str(), text.str()});
    std::stable_sort(parts.begin(), parts.end(),
                     [](const LabelPart& a, const LabelPart& b) { return tableRank(a.code) < tableRank(b.code); });
    label = parts.empty() ? CZunString() : writeLabel(parts);
    return true;
}

} // namespace ZUN
