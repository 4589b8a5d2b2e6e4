#include "ui/zun_msg_callback.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_msg.h"

#include <array>
#include <string>

namespace ZUN {

namespace {

// Room kept in every slot so that a slot is rewritten in place: a text
// that fits never moves, so the pointer handed out earlier now reads the
// newer text instead of freed memory.
constexpr std::size_t kSlotReserve = 512;

struct MsgRing {
    std::array<std::wstring, kMsgRingSize> slots;
    int index = 0;

    MsgRing()
    {
        for (std::wstring& slot : slots)
            slot.reserve(kSlotReserve);
    }
};

MsgRing& ring()
{
    static MsgRing theRing;
    return theRing;
}

CZunString lookup(const CZunString& key, const wchar_t* def, const wchar_t* country)
{
    return zun_msg_get(L"ZUN_", key, CZunString(def), CZunString(country));
}

} // namespace

const wchar_t* msgDefaultCallBack(const wchar_t* key, const wchar_t* def, const wchar_t* country)
{
    MsgRing& r = ring();
    r.index = (r.index + 1) % kMsgRingSize;
    if (country && std::wstring_view(country) == L"0")
        return key ? key : L"";

    const CZunString whole(key);
    const CZunArrayTempl<CZunString> parts = strTok(whole, L"\\", true);
    const CZunString text = parts.len() == 3 ? parts[0] + lookup(parts[1], def, country) + parts[2]
                                             : lookup(whole, def, country);
    std::wstring& slot = r.slots[static_cast<std::size_t>(r.index)];
    slot.assign(text.str());
    return slot.c_str();
}

} // namespace ZUN
