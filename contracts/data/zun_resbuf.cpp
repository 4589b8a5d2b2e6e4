#include "contracts/data/zun_resbuf.h"

#include <type_traits>

namespace ZUN {

bool operator==(const CRbValue& a, const CRbValue& b)
{
    return a.type == b.type && a.real == b.real && a.point == b.point && a.number == b.number && a.text == b.text;
}

// ---- chains ------------------------------------------------------------------

CSmartResbuf& CSmartResbuf::operator=(CSmartResbuf&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

resbuf* CSmartResbuf::release()
{
    resbuf* head = m_head;
    m_head = nullptr;
    return head;
}

void CSmartResbuf::reset(resbuf* head)
{
    rbFree(m_head);
    m_head = head;
}

void CSmartResbuf::append(resbuf* tail)
{
    if (!m_head) {
        m_head = tail;
        return;
    }
    resbuf* last = m_head;
    while (last->rbnext)
        last = last->rbnext;
    last->rbnext = tail;
}

int CSmartResbuf::len() const
{
    int n = 0;
    for (const resbuf* rb = m_head; rb; rb = rb->rbnext)
        ++n;
    return n;
}

resbuf* mkResbuf(short type)
{
    resbuf* rb = new resbuf;
    rb->restype = type;
    return rb;
}

resbuf* mkResbuf(const CRbValue& v)
{
    resbuf* rb = mkResbuf(v.type);
    switch (v.type) {
    case kRtReal:
    case kRtAngle:
    case kRtOrient:
        rb->resval.rreal = v.real;
        break;
    case kRtPoint:
    case kRt3dPoint:
        rb->resval.rpoint[0] = v.point.x;
        rb->resval.rpoint[1] = v.point.y;
        rb->resval.rpoint[2] = v.point.z;
        break;
    case kRtShort:
        rb->resval.rint = static_cast<short>(v.number);
        break;
    case kRtLong:
        rb->resval.rlong = v.number;
        break;
    case kRtEname:
    case kRtPickSet:
        rb->resval.rlname[0] = v.number;
        break;
    case kRtStr:
    case kRtDxf0:
        rb->resval.rstring = v.text;
        break;
    default:
        break;
    }
    return rb;
}

void rbFree(resbuf* head)
{
    // Iterative: host lists can be long, recursion could exhaust the stack.
    while (head) {
        resbuf* next = head->rbnext;
        delete head;
        head = next;
    }
}

CZunRbList rbToList(const resbuf* head)
{
    CZunRbList list;
    for (const resbuf* rb = head; rb; rb = rb->rbnext) {
        CRbValue v = CRbValue::make(rb->restype);
        v.real = rb->resval.rreal;
        v.point = CZunPoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
        v.number = rb->restype == kRtShort  ? rb->resval.rint
                   : rb->restype == kRtLong ? rb->resval.rlong
                                            : rb->resval.rlname[0];
        v.text = rb->resval.rstring;
        // Keep only what the type means, so equal lists compare equal.
        CRbValue clean = CRbValue::make(v.type);
        switch (v.type) {
        case kRtReal: case kRtAngle: case kRtOrient: clean.real = v.real; break;
        case kRtPoint: case kRt3dPoint: clean.point = v.point; break;
        case kRtShort: case kRtLong: case kRtEname: case kRtPickSet: clean.number = v.number; break;
        case kRtStr: case kRtDxf0: clean.text = v.text; break;
        default: break;
        }
        list.append(std::move(clean));
    }
    return list;
}

CSmartResbuf listToRb(const CZunRbList& list)
{
    CSmartResbuf chain;
    resbuf* last = nullptr;
    for (const CRbValue& v : list) {
        resbuf* rb = mkResbuf(v);
        if (last)
            last->rbnext = rb;
        else
            chain.reset(rb);
        last = rb;
    }
    return chain;
}

// ---- data items as lists -------------------------------------------------------

namespace {

constexpr int kDirTag = 0;

int tagOf(ZunValueKind kind) { return static_cast<int>(kind) + 1; }

void putVertices(CZunRbList& out, const CZunVertexArray& vl)
{
    for (const CZunVertex& v : vl) {
        out.append(CRbValue::makePoint(v.start()));
        out.append(CRbValue::makePoint(v.end()));
        out.append(CRbValue::makeReal(v.bulge()));
    }
}

void putContours(CZunRbList& out, const CZunContourSet& set)
{
    for (const CZunVertexArray& vl : set) {
        out.append(CRbValue::make(kRtListBegin));
        putVertices(out, vl);
        out.append(CRbValue::make(kRtListEnd));
    }
}

void putRegions(CZunRbList& out, const CZunRegionList& regions)
{
    for (const CZunContourSet& set : regions) {
        out.append(CRbValue::make(kRtListBegin));
        putContours(out, set);
        out.append(CRbValue::make(kRtListEnd));
    }
}

void putKey(CZunRbList& out, const CZunItemKey& key)
{
    if (key.type() == kRtLong)
        out.append(CRbValue::makeLong(key.num()));
    else if (key.isInt())
        out.append(CRbValue::makeShort(static_cast<int>(key.num())));
    else
        out.append(CRbValue::makeText(key.text(), key.type()));
}

struct PayloadWriter {
    CZunRbList& out;
    void operator()(std::monostate) const {}
    void operator()(const CZunString& v) const { out.append(CRbValue::makeText(v)); }
    void operator()(short v) const { out.append(CRbValue::makeShort(v)); }
    void operator()(long v) const { out.append(CRbValue::makeLong(v)); }
    void operator()(double v) const { out.append(CRbValue::makeReal(v)); }
    void operator()(bool v) const { out.append(CRbValue::make(v ? kRtT : kRtNil)); }
    void operator()(const CZunPoint3d& v) const { out.append(CRbValue::makePoint(v)); }
    void operator()(const CZunVertexArray& v) const { putVertices(out, v); }
    void operator()(const CZunArrayTempl<int>& v) const { for (int n : v) out.append(CRbValue::makeLong(n)); }
    void operator()(const CZunArrayTempl<double>& v) const { for (double d : v) out.append(CRbValue::makeReal(d)); }
    void operator()(const CZunArrayTempl<CZunString>& v) const { for (const auto& s : v) out.append(CRbValue::makeText(s)); }
    void operator()(const CZunPoint3dArray& v) const { for (const auto& p : v) out.append(CRbValue::makePoint(p)); }
    void operator()(const CZunMatrix3d& m) const
    {
        for (const auto& row : m.m)
            for (double d : row)
                out.append(CRbValue::makeReal(d));
    }
    void operator()(const CZunColor& c) const
    {
        out.append(CRbValue::makeLong(c.colorIndex()));
        out.append(CRbValue::makeLong(static_cast<long>(c.oleColor())));
        out.append(CRbValue::makeText(c.bookName()));
        out.append(CRbValue::makeText(c.colorName()));
    }
    void operator()(const CZunContourSet& v) const { putContours(out, v); }
    void operator()(const CZunRegionList& v) const { putRegions(out, v); }
};

void putItem(CZunRbList& out, const CZunDataItem& item)
{
    out.append(CRbValue::make(kRtListBegin));
    if (item.isDir()) {
        out.append(CRbValue::makeShort(kDirTag));
        for (const auto& child : item.childList()) {
            putKey(out, child->getKey());
            putItem(out, *child);
        }
    } else {
        out.append(CRbValue::makeShort(tagOf(item.kind())));
        std::visit(PayloadWriter{out}, item.value());
    }
    out.append(CRbValue::make(kRtListEnd));
}

// Recursive-descent reader over a list; every read checks the bounds and
// the type, so a malformed list fails cleanly instead of reading garbage.
class ListReader {
public:
    explicit ListReader(const CZunRbList& list) : m_list(list) {}

    bool atEnd() const { return m_pos >= m_list.len(); }
    bool peek(short type) const { return !atEnd() && m_list.get(m_pos).type == type; }
    bool take(short type) { return peek(type) ? (++m_pos, true) : false; }
    const CRbValue* takeValue(short type) { return peek(type) ? &m_list.get(m_pos++) : nullptr; }

    bool vertices(CZunVertexArray& vl)
    {
        while (!peek(kRtListEnd)) {
            const CRbValue* a = takeValue(kRt3dPoint);
            const CRbValue* b = a ? takeValue(kRt3dPoint) : nullptr;
            const CRbValue* bulge = b ? takeValue(kRtReal) : nullptr;
            if (!bulge)
                return false;
            vl.append(a->point, b->point, bulge->real);
        }
        return true;
    }
    bool contours(CZunContourSet& set)
    {
        while (take(kRtListBegin)) {
            CZunVertexArray vl;
            if (!vertices(vl) || !take(kRtListEnd))
                return false;
            set.append(std::move(vl));
        }
        return true;
    }
    bool regions(CZunRegionList& regions)
    {
        while (take(kRtListBegin)) {
            CZunContourSet set;
            if (!contours(set) || !take(kRtListEnd))
                return false;
            regions.append(std::move(set));
        }
        return true;
    }

    bool key(CZunItemKey& key)
    {
        if (const CRbValue* v = takeValue(kRtShort))
            key = CZunItemKey(static_cast<int>(v->number), kRtShort);
        else if (const CRbValue* l = takeValue(kRtLong))
            key = CZunItemKey(static_cast<int>(l->number), kRtLong);
        else if (const CRbValue* s = takeValue(kRtStr))
            key = CZunItemKey(s->text);
        else if (const CRbValue* d = takeValue(kRtDxf0))
            key = CZunItemKey(d->text, kRtDxf0);
        else
            return false;
        return true;
    }

    bool item(CZunDataItem& item, int depth = 0)
    {
        const CRbValue* tag = take(kRtListBegin) ? takeValue(kRtShort) : nullptr;
        if (!tag || depth > 256)
            return false;
        if (tag->number == kDirTag) {
            item.clear();
            if (!item.mkDir(CZunDataKey()))
                return false;
            while (!peek(kRtListEnd)) {
                CZunItemKey k;
                if (!key(k))
                    return false;
                CZunDataItem child;
                if (!this->item(child, depth + 1))
                    return false;
                item.setItem(CZunDataKey(k), child);
            }
            return take(kRtListEnd);
        }
        CZunDataItem::Value value;
        if (!payload(static_cast<int>(tag->number), value) || !take(kRtListEnd))
            return false;
        item.clear();
        item.set(value);
        return true;
    }

private:
    template <class T>
    bool repeated(short type, CZunArrayTempl<T>& out, T (*read)(const CRbValue&))
    {
        while (!peek(kRtListEnd)) {
            const CRbValue* v = takeValue(type);
            if (!v)
                return false;
            out.append(read(*v));
        }
        return true;
    }

    bool payload(int tag, CZunDataItem::Value& value)
    {
        switch (static_cast<ZunValueKind>(tag - 1)) {
        case ZunValueKind::None: value = std::monostate(); return true;
        case ZunValueKind::Text: { const CRbValue* v = takeValue(kRtStr); if (v) value = v->text; return v; }
        case ZunValueKind::Short: { const CRbValue* v = takeValue(kRtShort); if (v) value = static_cast<short>(v->number); return v; }
        case ZunValueKind::Long: { const CRbValue* v = takeValue(kRtLong); if (v) value = v->number; return v; }
        case ZunValueKind::Real: { const CRbValue* v = takeValue(kRtReal); if (v) value = v->real; return v; }
        case ZunValueKind::Bool:
            if (take(kRtT)) { value = true; return true; }
            if (take(kRtNil)) { value = false; return true; }
            return false;
        case ZunValueKind::Point: { const CRbValue* v = takeValue(kRt3dPoint); if (v) value = v->point; return v; }
        case ZunValueKind::VertexArray: { CZunVertexArray vl; if (!vertices(vl)) return false; value = std::move(vl); return true; }
        case ZunValueKind::IntArray: {
            CZunArrayTempl<int> a;
            if (!repeated<int>(kRtLong, a, [](const CRbValue& v) { return static_cast<int>(v.number); })) return false;
            value = std::move(a);
            return true;
        }
        case ZunValueKind::RealArray: {
            CZunArrayTempl<double> a;
            if (!repeated<double>(kRtReal, a, [](const CRbValue& v) { return v.real; })) return false;
            value = std::move(a);
            return true;
        }
        case ZunValueKind::TextArray: {
            CZunArrayTempl<CZunString> a;
            if (!repeated<CZunString>(kRtStr, a, [](const CRbValue& v) { return v.text; })) return false;
            value = std::move(a);
            return true;
        }
        case ZunValueKind::PointArray: {
            CZunPoint3dArray a;
            while (!peek(kRtListEnd)) {
                const CRbValue* v = takeValue(kRt3dPoint);
                if (!v) return false;
                a.append(v->point);
            }
            value = std::move(a);
            return true;
        }
        case ZunValueKind::Matrix: {
            CZunMatrix3d m;
            for (int i = 0; i < 16; ++i) {
                const CRbValue* v = takeValue(kRtReal);
                if (!v) return false;
                m.m[i / 4][i % 4] = v->real;
            }
            value = m;
            return true;
        }
        case ZunValueKind::Color: {
            const CRbValue* index = takeValue(kRtLong);
            const CRbValue* rgb = index ? takeValue(kRtLong) : nullptr;
            const CRbValue* book = rgb ? takeValue(kRtStr) : nullptr;
            const CRbValue* name = book ? takeValue(kRtStr) : nullptr;
            if (!name) return false;
            CZunColor c;
            c.setColorIndex(static_cast<int>(index->number));
            c.setColor(static_cast<std::uint32_t>(rgb->number));
            c.setNames(book->text, name->text);
            value = c;
            return true;
        }
        case ZunValueKind::ContourSet: { CZunContourSet s; if (!contours(s)) return false; value = std::move(s); return true; }
        case ZunValueKind::RegionList: { CZunRegionList r; if (!regions(r)) return false; value = std::move(r); return true; }
        }
        return false;
    }

    const CZunRbList& m_list;
    int m_pos = 0;
};

} // namespace

CZunRbList mkLispList(const CZunDataItem* item)
{
    CZunRbList out;
    if (item)
        putItem(out, *item);
    else
        out.append(CRbValue::make(kRtNil));
    return out;
}

CSmartResbuf mkLisp(const CZunDataItem* item)
{
    return listToRb(mkLispList(item));
}

bool fromRb(const CZunRbList& list, CZunDataItem& item)
{
    // Read into a scratch item: a malformed list must leave item as it was.
    CZunDataItem scratch;
    ListReader reader(list);
    if (!reader.item(scratch) || !reader.atEnd())
        return false;
    item = scratch;
    return true;
}

bool fromRb(const resbuf* head, CZunDataItem& item)
{
    return fromRb(rbToList(head), item);
}

bool fromRb(const CZunRbList& list, CZunRegionList& regions)
{
    if (list.len() == 1 && list.get(0).type == kRtNil) {
        regions.clear();
        return true;
    }
    if (list.len() > 1 && list.get(0).type == kRtListBegin && list.get(1).type == kRtShort) {
        CZunDataItem item;
        return fromRb(list, item) && item.get(regions);
    }
    CZunRegionList read;
    ListReader reader(list);
    if (!reader.take(kRtListBegin) || !reader.regions(read) || !reader.take(kRtListEnd) || !reader.atEnd())
        return false;
    regions = std::move(read);
    return true;
}

CZunRbList regionsToList(const CZunRegionList& regions)
{
    CZunRbList out;
    out.append(CRbValue::make(kRtListBegin));
    putRegions(out, regions);
    out.append(CRbValue::make(kRtListEnd));
    return out;
}

} // namespace ZUN

bool CZunDataItem::setData(const ZUN::resbuf* list)
{
    return ZUN::fromRb(list, *this);
}
