#pragma once

#include "contracts/base/zun_string.h"
#include "contracts/data/zun_data_file.h"

#include <string>
#include <unordered_map>
#include <vector>

// The texts of a message file: one text per message key and language, as
// the message server shows and hands them out.
//
// Two file forms are read (docs/data-files.md):
//  - the multi-language message file,
//        {"zun_messages": 1,
//         "texts": {"ZUN_MFC_0009": {"de": "Bezeichnung", "en": "Label"}, ...}}
//  - a single-language catalogue as the module ships it (msg/en.json), one
//    flat object {"KEY": "text"}; its language is the file's name ("en").
// Opening several files merges them: a language the store does not know yet
// is added, a text of a known key and language is replaced by the newer
// file's. A file that cannot be read changes nothing.
namespace ZUN {

class CZunMsgFile {
public:
    // Reads the file at path and merges it; on failure error says which file,
    // where and what was wrong, and the store is unchanged.
    bool open(const CZunString& path, CDataFileError* error = nullptr);
    // The same for text already read; sourceName names it in errors and, for
    // a single-language catalogue, gives the language.
    bool openText(const std::string& utf8, const CZunString& sourceName, CDataFileError* error = nullptr);
    // Merges the texts of another store (which is left empty), as open does
    // with a file; for callers that read a file first and change what they
    // show only once it was read.
    void merge(CZunMsgFile&& other);
    void clear();

    bool isEmpty() const { return m_keys.empty(); }
    size_t keyCount() const { return m_keys.size(); }
    // Keys in ascending order.
    const CZunString& keyAt(size_t index) const { return m_keys[index]; }
    // The row of a key, or -1.
    long indexOf(const CZunString& key) const;
    // Languages in the country table's order, others after them by code.
    const std::vector<CZunString>& languages() const { return m_languages; }
    // The files merged so far, in the order they were opened.
    const std::vector<CZunString>& files() const { return m_files; }

    // The text of key in language (compared without case), empty when there
    // is none. Language "0" gives describe(key).
    CZunString text(const CZunString& key, const CZunString& language) const;
    // text() with escape() applied; language "0" gives describe(key) as is.
    CZunString escapedText(const CZunString& key, const CZunString& language) const;
    // "M de,en": "M" when a text of the key spans more than one line (a line
    // break or a pilcrow), else "S"; then the codes of the languages that
    // have a text, in languages() order. Empty for an unknown key. Codes are
    // lower case, so the only capital letter is the first.
    CZunString describe(const CZunString& key) const;

    // Writes line breaks, tabs, backslashes, quotes, other control characters
    // and every character outside ASCII as backslash escapes, so that the text
    // passes any 8-bit channel and unEscapeWideChar gives it back unchanged.
    static CZunString escape(const CZunString& text);
    // Whether a text spans more than one line.
    static bool isMultiLine(const CZunString& text);

private:
    // Texts by the index of their language in m_codes; empty: none.
    using Texts = std::vector<std::wstring>;

    long codeIndex(const CZunString& language) const;
    size_t addCode(const std::wstring& code);
    void sortKeys();
    void orderLanguages();

    std::unordered_map<std::wstring, Texts> m_entries;
    std::vector<CZunString> m_keys;       // sorted
    std::vector<std::wstring> m_codes;    // in the order they were first read
    std::vector<CZunString> m_languages;  // m_codes in display order
    std::vector<CZunString> m_files;
};

} // namespace ZUN
