#pragma once

#include "contracts/data/zun_data_item.h"

// Typed lists as the host exchanges them: a chain of typed values in which
// list-begin and list-end elements (5016, 5017) nest sub-lists. The chain
// (resbuf) is the exchange format; CZunRbList is the same content as an
// array, which is easier to build and walk.

namespace ZUN {

struct resbuf {
    resbuf* rbnext = nullptr;
    short restype = kRtNone;
    // Not a union: a text member must be able to own its characters.
    struct {
        double rreal = 0.0;
        double rpoint[3] = {0.0, 0.0, 0.0};
        short rint = 0;
        long rlong = 0;
        long rlname[2] = {0, 0};
        CZunString rstring;
    } resval;
};

// One element of a host list.
struct CRbValue {
    short type = kRtNil;
    double real = 0.0;
    CZunPoint3d point;
    long number = 0;       // short, long and the first half of an entity name
    CZunString text;

    static CRbValue makeReal(double v) { CRbValue r; r.type = kRtReal; r.real = v; return r; }
    static CRbValue makeShort(int v) { CRbValue r; r.type = kRtShort; r.number = static_cast<short>(v); return r; }
    static CRbValue makeLong(long v) { CRbValue r; r.type = kRtLong; r.number = v; return r; }
    static CRbValue makeText(const CZunString& v, short type = kRtStr) { CRbValue r; r.type = type; r.text = v; return r; }
    static CRbValue makePoint(const CZunPoint3d& p) { CRbValue r; r.type = kRt3dPoint; r.point = p; return r; }
    static CRbValue make(short type) { CRbValue r; r.type = type; return r; }

    friend bool operator==(const CRbValue& a, const CRbValue& b);
};

using CZunRbList = CZunArrayTempl<CRbValue>;

// Owns a resbuf chain and frees it when it goes.
class CSmartResbuf {
public:
    CSmartResbuf() = default;
    explicit CSmartResbuf(resbuf* head) : m_head(head) {}
    CSmartResbuf(CSmartResbuf&& other) noexcept : m_head(other.release()) {}
    CSmartResbuf& operator=(CSmartResbuf&& other) noexcept;
    CSmartResbuf(const CSmartResbuf&) = delete;
    CSmartResbuf& operator=(const CSmartResbuf&) = delete;
    ~CSmartResbuf() { reset(); }

    resbuf* get() const { return m_head; }
    resbuf* operator->() const { return m_head; }
    explicit operator bool() const { return m_head != nullptr; }
    [[nodiscard]] resbuf* release();
    void reset(resbuf* head = nullptr);
    // Appends an element or a chain at the end; takes ownership.
    void append(resbuf* tail);
    int len() const;

private:
    resbuf* m_head = nullptr;
};

// One new element; free it with its chain (CSmartResbuf or rbFree).
resbuf* mkResbuf(short type);
resbuf* mkResbuf(const CRbValue& value);
void rbFree(resbuf* head);

// The chain as an array, and back.
CZunRbList rbToList(const resbuf* head);
CSmartResbuf listToRb(const CZunRbList& list);

// A data item as a host list, without loss: every item is a sub-list that
// starts with a short holding its kind (0 a directory), a directory's
// children follow as key and item in key order. fromRb reads it back.
CSmartResbuf mkLisp(const CZunDataItem* item);
CZunRbList mkLispList(const CZunDataItem* item);
bool fromRb(const CZunRbList& list, CZunDataItem& item);
bool fromRb(const resbuf* head, CZunDataItem& item);

// Regions as plain nested lists, the form the host's geometry functions
// answer with: (regions (contours (vertices: start point, end point, bulge))).
// Nil is the empty list. Also accepts an item list holding a region list.
bool fromRb(const CZunRbList& list, CZunRegionList& regions);
CZunRbList regionsToList(const CZunRegionList& regions);

} // namespace ZUN
