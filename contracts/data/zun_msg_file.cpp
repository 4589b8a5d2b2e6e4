#include "contracts/data/zun_msg_file.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_data_file_p.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace ZUN {

namespace {

using json_detail::Json;
using json_detail::JsonPath;
using json_detail::JsonProblem;

constexpr const char* kFormatMember = "zun_messages";
constexpr const char* kTextsMember = "texts";
constexpr int kFormatVersion = 1;

CZunString lowered(CZunString text)
{
    text.makeLower();
    return text;
}

// Codes end up in labels and in the server's answers; only harmless
// characters, and never "0", which stands for the keys themselves.
bool isLanguageCode(const std::string& code)
{
    if (code.empty() || code == "0")
        return false;
    return std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

// A catalogue's file name must look like a language ("en", "pt_BR"), so
// that any other JSON file opened by mistake is refused rather than read
// as a language called "texts".
bool isCatalogueName(const std::string& name)
{
    const size_t letters = std::find_if(name.begin(), name.end(), [](char c) {
        return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    }) - name.begin();
    if (letters < 2 || letters > 3)
        return false;
    if (letters == name.size())
        return true;
    const size_t region = name.size() - letters - 1;
    return (name[letters] == '_' || name[letters] == '-') && region >= 2 && region <= 4 && isLanguageCode(name);
}

// "…/msg/en.json" gives "en".
std::string languageOfFileName(const CZunString& sourceName)
{
    std::string name = sourceName.toUtf8();
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name = name.substr(0, dot);
    return name;
}

// The texts of one file before they are merged: key, language, text.
struct ReadText {
    std::wstring key;
    std::string language;
    std::wstring text;
};

bool problem(JsonProblem& out, JsonPath path, std::string expected)
{
    out.path = std::move(path);
    out.expected = std::move(expected);
    return false;
}

bool readCatalogue(const Json& doc, const std::string& language, std::vector<ReadText>& read, JsonProblem& fault)
{
    read.reserve(doc.size());
    for (const auto& [key, value] : doc.items()) {
        if (!value.is_string())
            return problem(fault, {key}, "a text (string)");
        read.push_back({json_detail::wideOf(key).str(), language, json_detail::wideOf(value.get_ref<const std::string&>()).str()});
    }
    return true;
}

bool readMultiLanguage(const Json& doc, std::vector<ReadText>& read, JsonProblem& fault)
{
    const Json& version = doc[kFormatMember];
    if (!version.is_number_integer() || version.get<int>() != kFormatVersion)
        return problem(fault, {kFormatMember}, "the format version 1");
    const auto texts = doc.find(kTextsMember);
    if (texts == doc.end() || !texts->is_object())
        return problem(fault, {}, "an object \"texts\" of message keys");
    read.reserve(texts->size() * 2);
    for (const auto& [key, languages] : texts->items()) {
        if (!languages.is_object())
            return problem(fault, {kTextsMember, key}, "an object of texts by language code");
        for (const auto& [code, value] : languages.items()) {
            if (!isLanguageCode(code))
                return problem(fault, {kTextsMember, key, code}, "a language code (letters, digits, '_', '-')");
            if (!value.is_string())
                return problem(fault, {kTextsMember, key, code}, "a text (string)");
            read.push_back({json_detail::wideOf(key).str(), lowered(CZunString::fromUtf8(code)).toUtf8(),
                            json_detail::wideOf(value.get_ref<const std::string&>()).str()});
        }
    }
    return true;
}

void appendEscape(std::wstring& out, const wchar_t* format, unsigned value)
{
    wchar_t buffer[16];
    std::swprintf(buffer, 16, format, value);
    out += buffer;
}

} // namespace

bool CZunMsgFile::open(const CZunString& path, CDataFileError* error)
{
    std::string utf8;
    if (!json_detail::readFileForLoad(path, utf8, error))
        return false;
    return openText(utf8, path, error);
}

bool CZunMsgFile::openText(const std::string& utf8, const CZunString& sourceName, CDataFileError* error)
{
    Json doc;
    if (!json_detail::parseJson(utf8, sourceName, doc, error))
        return false;
    JsonProblem fault;
    std::vector<ReadText> read;
    bool ok = false;
    if (!doc.is_object()) {
        ok = problem(fault, {}, "one JSON object: a message file or a catalogue of one language");
    } else if (doc.contains(kFormatMember)) {
        ok = readMultiLanguage(doc, read, fault);
    } else {
        const std::string language = languageOfFileName(sourceName);
        ok = isCatalogueName(language)
            ? readCatalogue(doc, lowered(CZunString::fromUtf8(language)).toUtf8(), read, fault)
            : problem(fault, {}, "a catalogue named after its language (en.json) or a message file with \"zun_messages\"");
    }
    if (!ok) {
        json_detail::reportProblem(utf8, sourceName, fault, error);
        return false;
    }

    // Everything was read: only now does the store change.
    bool keysAdded = false;
    std::string lastLanguage;
    size_t lastIndex = 0;
    for (ReadText& t : read) {
        if (t.text.empty())
            continue;  // an empty text is none: it leaves an older one in place
        if (t.language != lastLanguage || m_codes.empty()) {
            lastIndex = addCode(CZunString::fromUtf8(t.language).str());
            lastLanguage = t.language;
        }
        auto [entry, inserted] = m_entries.try_emplace(std::move(t.key));
        keysAdded |= inserted;
        if (entry->second.size() <= lastIndex)
            entry->second.resize(lastIndex + 1);
        entry->second[lastIndex] = std::move(t.text);
    }
    if (keysAdded)
        sortKeys();
    orderLanguages();
    m_files.push_back(sourceName);
    return true;
}

size_t CZunMsgFile::addCode(const std::wstring& code)
{
    const auto found = std::find(m_codes.begin(), m_codes.end(), code);
    if (found != m_codes.end())
        return static_cast<size_t>(found - m_codes.begin());
    m_codes.push_back(code);
    return m_codes.size() - 1;
}

void CZunMsgFile::sortKeys()
{
    m_keys.clear();
    m_keys.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        m_keys.emplace_back(entry.first);
    std::sort(m_keys.begin(), m_keys.end(), [](const CZunString& a, const CZunString& b) { return a.str() < b.str(); });
}

void CZunMsgFile::merge(CZunMsgFile&& other)
{
    if (m_entries.empty() && m_files.empty()) {
        *this = std::move(other);
        other.clear();
        return;
    }
    std::vector<size_t> codeMap;
    for (const std::wstring& code : other.m_codes)
        codeMap.push_back(addCode(code));
    bool keysAdded = false;
    for (auto& [key, texts] : other.m_entries) {
        auto [entry, inserted] = m_entries.try_emplace(key);
        keysAdded |= inserted;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].empty())
                continue;
            if (entry->second.size() <= codeMap[i])
                entry->second.resize(codeMap[i] + 1);
            entry->second[codeMap[i]] = std::move(texts[i]);
        }
    }
    if (keysAdded)
        sortKeys();
    orderLanguages();
    m_files.insert(m_files.end(), other.m_files.begin(), other.m_files.end());
    other.clear();
}

void CZunMsgFile::clear()
{
    m_entries.clear();
    m_keys.clear();
    m_codes.clear();
    m_languages.clear();
    m_files.clear();
}

void CZunMsgFile::orderLanguages()
{
    m_languages.clear();
    const ZunCountry_st* countries = zunDlCountrys();
    for (const ZunCountry_st* c = countries; c->code; ++c)
        if (std::find(m_codes.begin(), m_codes.end(), std::wstring(c->code)) != m_codes.end())
            m_languages.emplace_back(c->code);
    std::vector<CZunString> others;
    for (const std::wstring& code : m_codes)
        if (std::find(m_languages.begin(), m_languages.end(), CZunString(code)) == m_languages.end())
            others.emplace_back(code);
    std::sort(others.begin(), others.end(), [](const CZunString& a, const CZunString& b) { return a.str() < b.str(); });
    m_languages.insert(m_languages.end(), others.begin(), others.end());
}

long CZunMsgFile::indexOf(const CZunString& key) const
{
    const auto found = std::lower_bound(m_keys.begin(), m_keys.end(), key,
                                        [](const CZunString& a, const CZunString& b) { return a.str() < b.str(); });
    return found != m_keys.end() && *found == key ? static_cast<long>(found - m_keys.begin()) : -1;
}

long CZunMsgFile::codeIndex(const CZunString& language) const
{
    const std::wstring code = lowered(language).str();
    const auto found = std::find(m_codes.begin(), m_codes.end(), code);
    return found == m_codes.end() ? -1 : static_cast<long>(found - m_codes.begin());
}

CZunString CZunMsgFile::text(const CZunString& key, const CZunString& language) const
{
    if (language == L"0")
        return describe(key);
    const auto entry = m_entries.find(key.str());
    const long index = codeIndex(language);
    if (entry == m_entries.end() || index < 0 || static_cast<size_t>(index) >= entry->second.size())
        return CZunString();
    return CZunString(entry->second[static_cast<size_t>(index)]);
}

CZunString CZunMsgFile::escapedText(const CZunString& key, const CZunString& language) const
{
    if (language == L"0")
        return describe(key);
    return escape(text(key, language));
}

CZunString CZunMsgFile::describe(const CZunString& key) const
{
    const auto entry = m_entries.find(key.str());
    if (entry == m_entries.end())
        return CZunString();
    bool multi = false;
    std::wstring codes;
    for (const CZunString& language : m_languages) {
        const size_t index = static_cast<size_t>(codeIndex(language));
        if (index >= entry->second.size() || entry->second[index].empty())
            continue;
        multi |= isMultiLine(CZunString(entry->second[index]));
        codes += codes.empty() ? L"" : L",";
        codes += language.str();
    }
    return CZunString((multi ? L"M " : L"S ") + codes);
}

bool CZunMsgFile::isMultiLine(const CZunString& text)
{
    return text.view().find_first_of(L"\n\r\u00B6") != std::wstring_view::npos;
}

CZunString CZunMsgFile::escape(const CZunString& text)
{
    std::wstring out;
    out.reserve(text.view().size() + 8);
    for (const wchar_t c : text.view()) {
        switch (c) {
        case L'\n': out += L"\\n"; continue;
        case L'\r': out += L"\\r"; continue;
        case L'\t': out += L"\\t"; continue;
        case L'\\': out += L"\\\\"; continue;
        case L'"': out += L"\\\""; continue;
        default: break;
        }
        const auto u = static_cast<unsigned long>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else if (u == 0) {
            out += c;  // nothing can stand for it; it stays as it is
        } else if (u < 0x20 || u == 0x7F) {
            appendEscape(out, L"\\x%02X", static_cast<unsigned>(u));
        } else if (u <= 0xFFFF) {
            appendEscape(out, L"\\u%04X", static_cast<unsigned>(u));
        } else {
            // Beyond the first plane: the UTF-16 pair, which the reader joins.
            const unsigned long v = u - 0x10000;
            appendEscape(out, L"\\u%04X", static_cast<unsigned>(0xD800 + (v >> 10)));
            appendEscape(out, L"\\u%04X", static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
        }
    }
    return CZunString(std::move(out));
}

} // namespace ZUN
