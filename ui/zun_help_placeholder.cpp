// Stand-in for the help services while they are built in their own branch:
// it lets the base dialog link and says honestly that no help opened. The
// real implementation replaces this file (a second definition will not
// link, so neither can be forgotten).
#include "ui/zun_help.h"

namespace ZUN {

bool help(const wchar_t*)
{
    return false;
}

bool helpOpen(QWidget*, const CZunString&, const CZunString&)
{
    return false;
}

} // namespace ZUN
