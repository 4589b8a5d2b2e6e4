#pragma once

#include "contracts/data/zun_data_file.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace ZUN {

// The host's name of an entity of the open drawing: a serial that stays the
// same while the drawing is open, and the serial of that drawing, so that a
// name from an earlier drawing is never taken for a part of this one.
struct CAdsName {
    long id[2] = {0, 0};
    bool isNull() const { return id[0] == 0; }
    friend bool operator==(const CAdsName& a, const CAdsName& b) { return a.id[0] == b.id[0] && a.id[1] == b.id[1]; }
};

// A part of a drawing: its handle (unique in the drawing), its part type
// ("HOLE", "SHEET", "BAR", "WALL", ...), a display name, its stored data and
// its local object (derived data the part keeps beside the stored data).
struct CZunPart {
    CZunString handle;  // set when the part is added; the drawing finds it by it
    CZunString type;
    CZunString name;
    CZunDataItem data{true};
    CZunDataItem lobj{true};
    long serial = 0;
};

// The drawing format this program writes and the newest it reads.
inline constexpr int kDrawingFormatVersion = 1;

// A drawing file: parts, layers and the drawing's own materials. The JSON
// form is described in docs/data-files.md.
class CZunDrawing {
public:
    CZunDrawing();
    CZunDrawing(const CZunDrawing&) = delete;
    CZunDrawing& operator=(const CZunDrawing&) = delete;

    // Loads a drawing file; on failure this drawing is unchanged.
    bool load(const CZunString& path, CDataFileError* error = nullptr);
    bool loadJson(const std::string& utf8, const CZunString& sourceName, CDataFileError* error = nullptr);
    bool save(const CZunString& path, CZunString* error = nullptr) const;
    std::string toJson() const;

    const CZunString& path() const { return m_path; }
    int unit() const { return m_unit; }
    void setUnit(int unit) { m_unit = unit; }

    int partCount() const { return static_cast<int>(m_parts.size()); }
    CZunPart* part(int i) const;
    CZunPart* partByHandle(const CZunString& handle) const;
    CZunPart* partByName(const CAdsName& name) const;
    CAdsName entityName(const CZunPart& part) const { return {{part.serial, m_serial}}; }
    // Adds a part; the handle must be new (false and nothing added otherwise).
    CZunPart* addPart(const CZunString& handle, const CZunString& type, const CZunDataItem& data);
    bool removePart(const CZunString& handle);

    // Layers by name: "COLOR" (colour index or colour), "LTYPE", "PHYS" ...
    CZunDataItem& layers() { return m_layers; }
    const CZunDataItem& layers() const { return m_layers; }
    CZunDataItem& materials() { return m_materials; }
    const CZunDataItem& materials() const { return m_materials; }

    void clear();
    void swap(CZunDrawing& other) noexcept;

private:
    // Sets the path and the envelope of a drawing it reads a part at a time.
    friend class CZunDrawingReader;

    CZunString m_path;
    int m_unit = 4;
    long m_serial;
    long m_nextPart = 1;
    std::vector<std::unique_ptr<CZunPart>> m_parts;
    // The parts by handle: a drawing of many parts must not search them all
    // for every part it reads.
    std::unordered_map<std::wstring, CZunPart*> m_byHandle;
    CZunDataItem m_layers{true};
    CZunDataItem m_materials{true};
};

// The drawing the host has open; every entity name refers to it.
CZunDrawing& drawingCurrent();
// Opens a drawing file as the current one; on failure the open drawing stays.
bool drawingOpen(const CZunString& path, CDataFileError* error = nullptr);

} // namespace ZUN
